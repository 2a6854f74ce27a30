#include "framework/Errors.h"
#include "settings/OutputItem.h"
#include "settings/ZentStruc.h"
#include "settings/clSerializers.h"
#include "tests/framework/IniTestSupport.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zent {
namespace {

using test::ReadLines;
using test::WriteText;
using testing::ElementsAre;

constexpr char kSection[] = "Options";

class OptionsFile : public testing::Test {
protected:
    std::string Path() const { return FDir.File("zent.cfg").string(); }
    void Write(const std::string& text) const { WriteText(FDir.File("zent.cfg"), text); }
    std::vector<std::string> Lines() const { return ReadLines(FDir.File("zent.cfg")); }

    // Defaults as the program sets them before loading.
    static void SetDefaults(TOptionsItem& options) {
        options.SetDefaultDir("/opt/zent/Temp");
        options.SetOrdering(0);
        options.SetAscending(true);
    }

    std::string Load(TOptionsItem& options) const {
        std::string missing;
        IniSerializer().LoadObjFromIniFile(&options, Path(), kSection, missing);
        return missing;
    }

    test::TempDir FDir;
};

TEST_F(OptionsFile, SavingRewritesOnlyTheOptionsSection) {
    Write("[Recent]\nFile0=/music/a.mp3\n\n[Options]\nAscending=False\nOldKey=1\nTag=9\n\n"
          "[Window]\n; placement\nLeft=10\n");
    TOptionsItem options;
    SetDefaults(options);
    IniSerializer().SaveObjToIniFile(&options, Path(), kSection);
    EXPECT_THAT(Lines(), ElementsAre("[Recent]", "File0=/music/a.mp3", "", "[Window]",
                                     "; placement", "Left=10", "", "[Options]", "Ascending=True",
                                     "DefaultDir=/opt/zent/Temp", "Name=", "Ordering=0", "Tag=0"));
}

TEST_F(OptionsFile, SavingCreatesTheFile) {
    TOptionsItem options;
    SetDefaults(options);
    IniSerializer().SaveObjToIniFile(&options, Path(), kSection);
    EXPECT_THAT(Lines(), ElementsAre("[Options]", "Ascending=True", "DefaultDir=/opt/zent/Temp",
                                     "Name=", "Ordering=0", "Tag=0"));
}

TEST_F(OptionsFile, LoadingRestoresEveryValue) {
    TOptionsItem saved;
    saved.SetAscending(false);
    saved.SetDefaultDir("/home/user/Music out");
    saved.SetName("Opts");
    saved.SetOrdering(1);
    saved.SetTag(-3);
    IniSerializer().SaveObjToIniFile(&saved, Path(), kSection);

    TOptionsItem loaded;
    SetDefaults(loaded);
    EXPECT_EQ(Load(loaded), "");
    EXPECT_FALSE(loaded.Ascending());
    EXPECT_EQ(loaded.DefaultDir(), "/home/user/Music out");
    EXPECT_EQ(loaded.Name(), "Opts");
    EXPECT_EQ(loaded.Ordering(), 1);
    EXPECT_EQ(loaded.Tag(), -3);
}

TEST_F(OptionsFile, ADirectoryEndingInABlankComesBackWhole) {
    TOptionsItem saved;
    saved.SetDefaultDir("/home/user/Music ");
    IniSerializer().SaveObjToIniFile(&saved, Path(), kSection);

    TOptionsItem loaded;
    SetDefaults(loaded);
    Load(loaded);
    EXPECT_EQ(loaded.DefaultDir(), "/home/user/Music ");
}

TEST_F(OptionsFile, AbsentKeysAreListedAsMissingAndKeepTheirValues) {
    Write("[Options]\nAscending=True\nDefaultDir=/x\nName=\nTag=0\n");
    TOptionsItem options;
    options.SetOrdering(4);
    EXPECT_EQ(Load(options), "Ordering");
    EXPECT_EQ(options.Ordering(), 4);

    Write("[Options]\nAscending=True\nDefaultDir=/x\nName=\n");
    EXPECT_EQ(Load(options), "Ordering,Tag");
}

TEST_F(OptionsFile, AMissingFileListsEveryProperty) {
    TOptionsItem options;
    SetDefaults(options);
    EXPECT_EQ(Load(options), "Ascending,DefaultDir,Name,Ordering,Tag");
    EXPECT_EQ(options.DefaultDir(), "/opt/zent/Temp");
}

TEST_F(OptionsFile, IntegersReadHexAndUnreadableTextAsZero) {
    TOptionsItem options;
    Write("[Options]\nOrdering=0x10\nTag=abc\n");
    Load(options);
    EXPECT_EQ(options.Ordering(), 16);
    EXPECT_EQ(options.Tag(), 0);
    Write("[Options]\nOrdering=\n");
    Load(options);
    EXPECT_EQ(options.Ordering(), 0);
}

TEST_F(OptionsFile, AscendingTakesFalseInAnyCase) {
    TOptionsItem options;
    options.SetAscending(true);
    Write("[Options]\nAscending=false\n");
    Load(options);
    EXPECT_FALSE(options.Ascending());
}

TEST_F(OptionsFile, BadValuesCostOnlyTheirOwnKeysAndTheFirstIsReported) {
    Write("[Options]\nAscending=no\nDefaultDir=/new\nName=2nd\nOrdering=1\nTag=7\n");
    TOptionsItem options;
    SetDefaults(options);
    try {
        Load(options);
        FAIL();
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "Invalid property element: no");
    }
    EXPECT_TRUE(options.Ascending());
    EXPECT_EQ(options.DefaultDir(), "/new");
    EXPECT_EQ(options.Name(), "");
    EXPECT_EQ(options.Ordering(), 1);
    EXPECT_EQ(options.Tag(), 7);
}

TEST_F(OptionsFile, AByteOrderMarkIsReadAndKeptBeforeTheOneOptionsSection) {
    Write("\xEF\xBB\xBF[Options]\nAscending=False\nDefaultDir=/new\nOrdering=1\n");
    TOptionsItem options;
    SetDefaults(options);
    Load(options);
    EXPECT_FALSE(options.Ascending());
    EXPECT_EQ(options.DefaultDir(), "/new");
    EXPECT_EQ(options.Ordering(), 1);
    IniSerializer().SaveObjToIniFile(&options, Path(), kSection);
    EXPECT_THAT(Lines(), ElementsAre("\xEF\xBB\xBF[Options]", "Ascending=False", "DefaultDir=/new",
                                     "Name=", "Ordering=1", "Tag=0"));
}

TEST_F(OptionsFile, ANameTakenByASiblingComponentCostsOnlyTheName) {
    TComponent mainWindow;
    (new TComponent(&mainWindow))->SetName("VST1");
    auto* options = new TOptionsItem(&mainWindow);
    Write("[Options]\nAscending=False\nDefaultDir=/new\nName=vst1\nOrdering=1\n");
    try {
        Load(*options);
        FAIL();
    } catch (const EComponentError& error) {
        EXPECT_STREQ(error.what(), "A component named vst1 already exists");
    }
    EXPECT_EQ(options->Name(), "");
    EXPECT_EQ(options->DefaultDir(), "/new");
    EXPECT_EQ(options->Ordering(), 1);
}

TEST_F(OptionsFile, ANameThatIsNotAnIdentifierIsRefused) {
    Write("[Options]\nName=2nd\n");
    TOptionsItem options;
    EXPECT_THROW(Load(options), EComponentError);
    EXPECT_EQ(options.Name(), "");
}

TEST_F(OptionsFile, AFileThatCannotBeWrittenFailsWithItsPath) {
    std::filesystem::create_directory(Path());
    TOptionsItem options;
    try {
        IniSerializer().SaveObjToIniFile(&options, Path(), kSection);
        FAIL();
    } catch (const EIniFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + Path());
    }
}

TEST_F(OptionsFile, AFileInAMissingDirectoryFailsWithItsPath) {
    const std::string path = (FDir.Path() / "gone" / "zent.cfg").string();
    TOptionsItem options;
    try {
        IniSerializer().SaveObjToIniFile(&options, path, kSection);
        FAIL();
    } catch (const EIniFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
}

TEST(OutputFile, TheOutputSettingsLoadBackAndLeaveTheOptionsSectionAlone) {
    test::TempDir dir;
    const std::string path = dir.File("zent.cfg").string();
    WriteText(dir.File("zent.cfg"), "[Options]\nAscending=False\n");
    TOutputItem output;
    output.SampleFormat = TOutputItem::Samples::Float32;
    output.SampleRate = 96000;
    output.ExistingFiles = TOutputItem::Existing::Number;
    output.KeepGoing = true;
    IniSerializer().SaveObjToIniFile(&output, path, "Output");
    EXPECT_THAT(ReadLines(dir.File("zent.cfg")),
                ElementsAre("[Options]", "Ascending=False", "", "[Output]", "Channels=0",
                            "CopyTags=False", "ExistingFiles=Number", "Jobs=0", "KeepFolders=False",
                            "KeepGoing=True", "SampleFormat=Float32", "SampleRate=96000"));
    TOutputItem loaded;
    std::string missing;
    IniSerializer().LoadObjFromIniFile(&loaded, path, "Output", missing);
    EXPECT_EQ(loaded.SampleFormat, TOutputItem::Samples::Float32);
    EXPECT_EQ(loaded.SampleRate, 96000);
    EXPECT_EQ(loaded.ExistingFiles, TOutputItem::Existing::Number);
    EXPECT_TRUE(loaded.KeepGoing);
    EXPECT_FALSE(loaded.KeepFolders);
}

} // namespace
} // namespace zent
