#include "framework/Errors.h"
#include "framework/IniFile.h"
#include "settings/clSerializers.h"
#include "tests/framework/IniTestSupport.h"
#include "tests/settings/SampleClasses.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zent {
namespace {

using test::TLineItem;
using test::TSample;
using test::WriteText;
using testing::ElementsAre;
using testing::MatchesRegex;

template <class Action> std::string AssertionOf(Action action) {
    try {
        action();
    } catch (const EAssertionFailed& error) {
        return error.what();
    }
    return "(nothing raised)";
}

void AddItem(TSample& sample, const std::string& caption) {
    static_cast<TLineItem&>(sample.FItems.Add()).FCaption = caption;
}

TEST(SerializerRoundTrip, EveryStoredKindComesBack) {
    test::TempDir dir;
    const std::string file = dir.File("s.ini").string();
    TSample saved;
    saved.FCount = -7;
    saved.FLetter = 'Q';
    saved.FEnabled = true;
    saved.FShade = test::TShade::Green;
    saved.FFlags = 0b110;
    saved.FRatio = 2.75;
    saved.FWhen = 45000.75;
    saved.FDay = 45001;
    saved.FClock = 0.25;
    saved.FTitle = "Ünïcode title";
    saved.FShort = "short";
    saved.FLines.Assign({"a", "b"});
    saved.FChild.FValue = 12;
    saved.FChild.FNote = "child";
    AddItem(saved, "first");
    AddItem(saved, "second");
    IniSerializer().SaveObjToIniFile(&saved, file, "Sample");

    TSample loaded;
    std::string missing;
    IniSerializer().LoadObjFromIniFile(&loaded, file, "Sample", missing);
    EXPECT_EQ(loaded.FCount, -7);
    EXPECT_EQ(loaded.FLetter, 'Q');
    EXPECT_TRUE(loaded.FEnabled);
    EXPECT_EQ(loaded.FShade, test::TShade::Green);
    EXPECT_EQ(loaded.FFlags, 0b110u);
    EXPECT_DOUBLE_EQ(loaded.FRatio, 2.75);
    EXPECT_DOUBLE_EQ(loaded.FWhen, 45000.75);
    EXPECT_DOUBLE_EQ(loaded.FDay, 45001);
    EXPECT_DOUBLE_EQ(loaded.FClock, 0.25);
    EXPECT_EQ(loaded.FTitle, "Ünïcode title");
    EXPECT_EQ(loaded.FShort, "short");
    EXPECT_THAT(loaded.FLines.Lines(), ElementsAre("a", "b"));
    EXPECT_EQ(loaded.FChild.FValue, 12);
    EXPECT_EQ(loaded.FChild.FNote, "child");
    ASSERT_EQ(loaded.FItems.Count(), 2);
    EXPECT_EQ(static_cast<TLineItem&>(loaded.FItems.Items(1)).FCaption, "second");
    EXPECT_EQ(missing, "Hollow,OnClick,Partner");
}

TEST(SerializerLayout, ACharacterIsWrittenAsItsCode) {
    test::TempDir dir;
    const std::string file = dir.File("s.ini").string();
    TSample saved;
    saved.FLetter = '\xE9';
    IniSerializer().SaveObjToIniFile(&saved, file, "Sample");
    EXPECT_EQ(TIniFile(file).ReadString("Sample", "Letter"), "233");

    TSample loaded;
    std::string missing;
    IniSerializer().LoadObjFromIniFile(&loaded, file, "Sample", missing);
    EXPECT_EQ(loaded.FLetter, '\xE9');
}

TEST(SerializerLayout, NestedObjectsListsAndCollectionsGetTheirOwnSections) {
    test::TempDir dir;
    const std::string file = dir.File("s.ini").string();
    TSample sample;
    sample.FLines.Assign({"a", "b"});
    sample.FChild.FValue = 3;
    sample.FLetter = 'Q';
    AddItem(sample, "one");
    IniSerializer().SaveObjToIniFile(&sample, file, "Sample");

    TIniFile ini(file);
    EXPECT_THAT(ini.ReadSection("Sample"),
                ElementsAre("Clock", "Count", "Day", "Enabled", "Flags", "Letter", "Ratio", "Shade",
                            "Short", "Title", "When"));
    EXPECT_THAT(ini.ReadSection("Sample\\Lines"), ElementsAre("Line0", "Line1"));
    EXPECT_EQ(ini.ReadString("Sample\\Lines", "Line1"), "b");
    EXPECT_THAT(ini.ReadSection("Sample\\Child"), ElementsAre("Note", "Value"));
    EXPECT_THAT(ini.ReadSection("Sample\\Items"), ElementsAre("rt_TCollection"));
    EXPECT_EQ(ini.ReadString("Sample\\Items", "rt_TCollection"), "1");
    EXPECT_EQ(ini.ReadString("Sample\\Items\\CItem0", "Caption"), "one");
    EXPECT_FALSE(ini.SectionExists("Sample\\Hollow"));
    EXPECT_FALSE(ini.SectionExists("Sample\\Partner"));
    EXPECT_EQ(ini.ReadString("Sample", "Letter"), "81");
    EXPECT_EQ(ini.ReadString("Sample", "Flags"), "[]");
}

TEST(SerializerCollections, SavingFewerItemsLeavesOnlyTheirSections) {
    test::TempDir dir;
    const std::string file = dir.File("s.ini").string();
    TSample sample;
    AddItem(sample, "one");
    AddItem(sample, "two");
    IniSerializer().SaveObjToIniFile(&sample, file, "Sample");
    EXPECT_TRUE(TIniFile(file).SectionExists("Sample\\Items\\CItem1"));
    sample.FItems.Delete(1);
    IniSerializer().SaveObjToIniFile(&sample, file, "Sample");
    TIniFile ini(file);
    EXPECT_TRUE(ini.SectionExists("Sample\\Items\\CItem0"));
    EXPECT_FALSE(ini.SectionExists("Sample\\Items\\CItem1"));
}

TEST(SerializerStringLists, LinesAreReadUpToTheFirstGap) {
    test::TempDir dir;
    WriteText(dir.File("s.ini"), "[Sample\\Lines]\nLine0=a\nLine2=c\n");
    TSample sample;
    sample.FLines.Assign({"old1", "old2"});
    std::string missing;
    IniSerializer().LoadObjFromIniFile(&sample, dir.File("s.ini").string(), "Sample", missing);
    EXPECT_THAT(sample.FLines.Lines(), ElementsAre("a"));
}

TEST(SerializerStringLists, AnEmptyListLeavesNoSectionAndIsReportedMissing) {
    test::TempDir dir;
    const std::string file = dir.File("s.ini").string();
    TSample empty;
    IniSerializer().SaveObjToIniFile(&empty, file, "Sample");
    EXPECT_FALSE(TIniFile(file).SectionExists("Sample\\Lines"));
    TSample loaded;
    loaded.FLines.Assign({"kept"});
    std::string missing;
    IniSerializer().LoadObjFromIniFile(&loaded, file, "Sample", missing);
    EXPECT_THAT(missing, testing::HasSubstr("Lines"));
    EXPECT_THAT(loaded.FLines.Lines(), ElementsAre("kept"));
}

TEST(SerializerFilters, NestedObjectsInheritTheExclusions) {
    test::TempDir dir;
    const std::string file = dir.File("s.ini").string();
    TSample sample;
    sample.FChild.FValue = 5;
    sample.FChild.FNote = "n";
    TrtWrapper wrapper(sample, 0, {"value"});
    IniSerializer().SaveObjToIniFile(&wrapper, file, "Sample");
    EXPECT_THAT(TIniFile(file).ReadSection("Sample\\Child"), ElementsAre("Note"));
}

TEST(SerializerRegional, FloatsAndDatesUnderACommaLocale) {
    test::DefaultLocale german{QLocale(QLocale::German)};
    test::TempDir dir;
    const std::string file = dir.File("s.ini").string();
    TSample sample;
    sample.FRatio = 0.5;
    sample.FWhen = 45000.5;
    sample.FDay = 45000;
    sample.FClock = 0.75;
    IniSerializer().SaveObjToIniFile(&sample, file, "Sample");
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadString("Sample", "Ratio"), "0,5");
    EXPECT_EQ(ini.ReadString("Sample", "When"), "15.03.2023 12:00:00");
    EXPECT_EQ(ini.ReadString("Sample", "Day"), "15.03.2023");
    EXPECT_EQ(ini.ReadString("Sample", "Clock"), "18:00:00");
    TSample loaded;
    std::string missing;
    IniSerializer().LoadObjFromIniFile(&loaded, file, "Sample", missing);
    EXPECT_DOUBLE_EQ(loaded.FRatio, 0.5);
    EXPECT_DOUBLE_EQ(loaded.FWhen, 45000.5);
    EXPECT_DOUBLE_EQ(loaded.FDay, 45000);
    EXPECT_DOUBLE_EQ(loaded.FClock, 0.75);
}

TEST(SerializerRegional, UnreadableFloatsAndDatesLoadAsZero) {
    test::TempDir dir;
    WriteText(dir.File("s.ini"), "[Sample]\nRatio=abc\nWhen=\nDay=someday\n");
    TSample sample;
    sample.FRatio = 1;
    sample.FWhen = 1;
    sample.FDay = 1;
    std::string missing;
    IniSerializer().LoadObjFromIniFile(&sample, dir.File("s.ini").string(), "Sample", missing);
    EXPECT_EQ(sample.FRatio, 0.0);
    EXPECT_EQ(sample.FWhen, 0.0);
    EXPECT_EQ(sample.FDay, 0.0);
}

TEST(SerializerText, AValueLongerThan2047CharactersComesBackCut) {
    test::TempDir dir;
    const std::string file = dir.File("s.ini").string();
    TSample sample;
    sample.FTitle = std::string(2100, 't');
    IniSerializer().SaveObjToIniFile(&sample, file, "Sample");
    TSample loaded;
    std::string missing;
    IniSerializer().LoadObjFromIniFile(&loaded, file, "Sample", missing);
    EXPECT_EQ(loaded.FTitle, std::string(2047, 't'));
}

TEST(SerializerPaths, ParentSubAndNameParts) {
    TclIniSerializer& serializer = IniSerializer();
    EXPECT_EQ(serializer.GetSubPath("Options", "Font"), "Options\\Font");
    EXPECT_EQ(serializer.GetParentPath("Options\\Font"), "Options\\");
    EXPECT_EQ(serializer.GetParentPath("C:Options"), "C:");
    EXPECT_EQ(serializer.GetParentPath("Options"), "");
    EXPECT_EQ(serializer.GetPathName("Options\\Font"), "Font");
    EXPECT_EQ(serializer.GetPathName("Options"), "Options");
}

TEST(SerializerInstance, IsOneObjectForTheWholeProgram) {
    EXPECT_EQ(&IniSerializer(), &IniSerializer());
}

TEST(SerializerAssertions, AbsentArgumentsAreNamed) {
    const std::string line = " \\(clSerializers, line [0-9]+\\)";
    TclIniSerializer& serializer = IniSerializer();
    std::string missing;
    EXPECT_THAT(AssertionOf([&] {
                    serializer.SaveObjToIniFile(static_cast<TPersistent*>(nullptr), "x", "S");
                }),
                MatchesRegex("SaveObjToIniFile: Source cannot be nil" + line));
    EXPECT_THAT(AssertionOf([&] {
                    serializer.SaveObjToIniFile(static_cast<TrtWrapper*>(nullptr), "x", "S");
                }),
                MatchesRegex("SaveObjToIniFile: Source cannot be nil" + line));
    EXPECT_THAT(AssertionOf([&] { serializer.LoadObjFromIniFile(nullptr, "x", "S", missing); }),
                MatchesRegex("LoadObjFromIniFile: Target cannot be nil" + line));
    EXPECT_THAT(AssertionOf([&] {
                    serializer.DoDeserializeTo(static_cast<TrtWrapper*>(nullptr), "S", missing);
                }),
                MatchesRegex("DoDeserializeTo: Target cannot be nil" + line));
    EXPECT_THAT(
        AssertionOf([&] { serializer.DoSerializeFrom(static_cast<TObject*>(nullptr), "S"); }),
        MatchesRegex("DoSerializeFrom: Source cannot be nil" + line));
}

TEST(SerializerAssertions, AWrapperWithoutObjectCannotBeSaved) {
    test::TempDir dir;
    TrtWrapper overClass(TSample::StaticClassInfo());
    EXPECT_THAT(AssertionOf([&] {
                    IniSerializer().SaveObjToIniFile(&overClass, dir.File("s.ini").string(), "S");
                }),
                MatchesRegex("DoSerializeFrom: Source wrapper's object cannot be nil "
                             "\\(clSerializers, line [0-9]+\\)"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("s.ini")));
}

} // namespace
} // namespace zent
