#include "framework/IniFile.h"

#include "framework/Errors.h"
#include "tests/framework/IniTestSupport.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace zent {
namespace {

using test::FileSizeLimit;

using test::ReadLines;
using test::ReadText;
using test::WriteText;

using Lines = std::vector<std::string>;

TEST(IniStore, SectionsAndKeysAreMatchedWithoutRegardToCase) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "[Options]\nDefaultDir=/tmp\n");
    TIniFile ini(dir.File("a.ini").string());
    EXPECT_EQ(ini.ReadString("OPTIONS", "defaultdir"), "/tmp");
    EXPECT_TRUE(ini.ValueExists("options", "DEFAULTDIR"));
    EXPECT_EQ(ini.ReadString("Options", "Other", "fallback"), "fallback");
}

TEST(IniStore, WritingAnExistingKeyReplacesItsValueInPlace) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "; settings\n[S]\nA=1\nB=2\nC=3\n");
    TIniFile ini(dir.File("a.ini").string());
    ini.WriteString("s", "b", "two");
    ini.UpdateFile();
    EXPECT_EQ(ReadLines(dir.File("a.ini")), (Lines{"; settings", "[S]", "A=1", "B=two", "C=3"}));
}

TEST(IniStore, NewKeysFollowTheKeysOfTheirSectionInWritingOrder) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "[S]\nA=1\n\n[T]\nX=9\n");
    TIniFile ini(dir.File("a.ini").string());
    ini.WriteString("S", "Z", "26");
    ini.WriteString("S", "B", "2");
    ini.UpdateFile();
    EXPECT_EQ(ReadLines(dir.File("a.ini")), (Lines{"[S]", "A=1", "Z=26", "B=2", "", "[T]", "X=9"}));
}

TEST(IniStore, WritingCreatesTheFileAndTheSection) {
    test::TempDir dir;
    TIniFile ini(dir.File("new.ini").string());
    ini.WriteString("Options", "Tag", "0");
    EXPECT_FALSE(std::filesystem::exists(dir.File("new.ini"))) << "nothing reaches disk early";
    ini.UpdateFile();
    EXPECT_EQ(ReadLines(dir.File("new.ini")), (Lines{"[Options]", "Tag=0"}));
}

TEST(IniStore, ErasingASectionRemovesItsKeysAndKeepsTheRest) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "[A]\nx=1\n[Options]\nOld=1\n; note\n[B]\ny=2\n");
    TIniFile ini(dir.File("a.ini").string());
    ini.EraseSection("OPTIONS");
    EXPECT_FALSE(ini.SectionExists("Options"));
    ini.UpdateFile();
    EXPECT_EQ(ReadLines(dir.File("a.ini")), (Lines{"[A]", "x=1", "[B]", "y=2"}));
}

TEST(IniStore, ASectionWithoutKeysCountsAsAbsent) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "[Empty]\n; only a comment\n[Full]\nk=v\n");
    TIniFile ini(dir.File("a.ini").string());
    EXPECT_FALSE(ini.SectionExists("Empty"));
    EXPECT_TRUE(ini.SectionExists("Full"));
    EXPECT_EQ(ini.ReadSection("Full"), Lines{"k"});
}

TEST(IniStore, AMissingFileReadsAsHavingNoSections) {
    test::TempDir dir;
    TIniFile ini(dir.File("absent.ini").string());
    EXPECT_FALSE(ini.SectionExists("Options"));
    EXPECT_EQ(ini.ReadString("Options", "DefaultDir"), "");
    EXPECT_EQ(ini.ReadInteger("Options", "Ordering", 5), 5);
}

TEST(IniStore, ReadsAreCutAt2047Characters) {
    test::TempDir dir;
    TIniFile ini(dir.File("a.ini").string());
    ini.WriteString("S", "Long", std::string(3000, 'x'));
    ini.UpdateFile();
    TIniFile reread(dir.File("a.ini").string());
    EXPECT_EQ(reread.ReadString("S", "Long"), std::string(2047, 'x'));
}

TEST(IniStore, AValueCannotAddLinesToTheFile) {
    test::TempDir dir;
    TIniFile ini(dir.File("a.ini").string());
    ini.WriteString("S", "Dir", "/music\n[Evil]\nK=1");
    ini.UpdateFile();
    TIniFile reread(dir.File("a.ini").string());
    EXPECT_EQ(reread.ReadString("S", "Dir"), "/music");
    EXPECT_FALSE(reread.SectionExists("Evil"));
}

TEST(IniStore, ValuesWithEdgeBlanksOrEnclosingQuotesComeBackAsWritten) {
    test::TempDir dir;
    const Lines values{" /music", "/music/old ", "\t", "\"quoted\"", "'single'", "\"", "a \"b\" c"};
    TIniFile ini(dir.File("a.ini").string());
    for (std::size_t i = 0; i < values.size(); ++i)
        ini.WriteString("S", "k" + std::to_string(i), values[i]);
    ini.UpdateFile();
    TIniFile reread(dir.File("a.ini").string());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(reread.ReadString("S", "k" + std::to_string(i)), values[i]) << i;
}

TEST(IniStore, EnclosingQuotesOfAHandWrittenValueAreNotPartOfIt) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "[S]\nDir=\"/my music \"\nFlag= 'True' \nHalf=\"open\n");
    TIniFile ini(dir.File("a.ini").string());
    EXPECT_EQ(ini.ReadString("S", "Dir"), "/my music ");
    EXPECT_EQ(ini.ReadString("S", "Flag"), "True");
    EXPECT_EQ(ini.ReadString("S", "Half"), "\"open");
}

TEST(IniStore, AFileKeepsItsWindowsLineBreaks) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "[Other]\r\nkeep=1\r\n\r\n[S]\r\nA=1\r\n");
    TIniFile ini(dir.File("a.ini").string());
    ini.WriteString("S", "A", "2");
    ini.WriteString("T", "B", "3");
    ini.UpdateFile();
    EXPECT_EQ(ReadText(dir.File("a.ini")),
              "[Other]\r\nkeep=1\r\n\r\n[S]\r\nA=2\r\n\r\n[T]\r\nB=3\r\n");
}

TEST(IniStore, EveryCarriageReturnEndingALineGoes) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "[S]\nA=1\r\r\nB=2\r\n");
    TIniFile ini(dir.File("a.ini").string());
    EXPECT_EQ(ini.ReadString("S", "A"), "1");
    ini.WriteString("S", "C", "3");
    ini.UpdateFile();
    EXPECT_EQ(ReadText(dir.File("a.ini")), "[S]\nA=1\nB=2\nC=3\n");
}

TEST(IniStore, AFileThatIsNoPlainFileOrTooLargeIsUnreadableAndKept) {
    test::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.File("fifo.ini").c_str(), 0600), 0);
    WriteText(dir.File("large.ini"), "[S]\nA=1\n" + std::string(kMaxIniFileSize, ';') + "\n");
    for (const char* name : {"fifo.ini", "large.ini"}) {
        SCOPED_TRACE(name);
        TIniFile ini(dir.File(name).string());
        EXPECT_EQ(ini.ReadString("S", "A", "default"), "default");
        ini.WriteString("S", "A", "2");
        EXPECT_THROW(ini.UpdateFile(), EIniFileError);
    }
    EXPECT_EQ(ReadText(dir.File("large.ini")).size(), kMaxIniFileSize + 9);
}

TEST(IniStoreIntegers, ReadsHexadecimalSignsAndBlanks) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"),
              "[S]\nhex=0x10\nupper=0X1f\ndollar=$FF\nneg= -12\nplus=+7\nbig=2147483647\n"
              "wrap=$FFFFFFFF\n");
    TIniFile ini(dir.File("a.ini").string());
    EXPECT_EQ(ini.ReadInteger("S", "hex"), 16);
    EXPECT_EQ(ini.ReadInteger("S", "upper"), 31);
    EXPECT_EQ(ini.ReadInteger("S", "dollar"), 255);
    EXPECT_EQ(ini.ReadInteger("S", "neg"), -12);
    EXPECT_EQ(ini.ReadInteger("S", "plus"), 7);
    EXPECT_EQ(ini.ReadInteger("S", "big"), 2147483647);
    EXPECT_EQ(ini.ReadInteger("S", "wrap"), -1);
}

TEST(IniStoreIntegers, UnreadableTextGivesTheDefault) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "[S]\nabc=abc\nempty=\nshort=0x\ntail=12a\nhuge=2147483648\n");
    TIniFile ini(dir.File("a.ini").string());
    for (const char* key : {"abc", "empty", "short", "tail", "huge", "absent"})
        EXPECT_EQ(ini.ReadInteger("S", key), 0) << key;
}

TEST(IniStoreIntegers, WritesPlainDecimal) {
    test::TempDir dir;
    TIniFile ini(dir.File("a.ini").string());
    ini.WriteInteger("S", "n", -42);
    ini.WriteInteger("S", "z", 0);
    EXPECT_EQ(ini.ReadString("S", "n"), "-42");
    EXPECT_EQ(ini.ReadString("S", "z"), "0");
}

TEST(IniStoreWrite, ATargetThatIsADirectoryFailsWithThePath) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.File("taken.ini"));
    const std::string path = dir.File("taken.ini").string();
    TIniFile ini(path);
    ini.WriteString("S", "k", "v");
    try {
        ini.UpdateFile();
        FAIL();
    } catch (const EIniFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + path);
    }
}

TEST(IniStoreWrite, AMissingDirectoryFailsWithThePath) {
    test::TempDir dir;
    const std::string path = (dir.Path() / "no" / "such" / "zent.cfg").string();
    TIniFile ini(path);
    ini.WriteString("S", "k", "v");
    EXPECT_THROW(ini.UpdateFile(), EIniFileError);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(IniStoreWrite, AnInterruptedWriteLeavesTheOldFileIntact) {
    test::TempDir dir;
    const std::string old = "[Options]\nDefaultDir=/old\n\n[Other]\nkeep=1\n";
    WriteText(dir.File("zent.cfg"), old);
    TIniFile ini(dir.File("zent.cfg").string());
    ini.WriteString("Options", "DefaultDir", std::string(200000, 'n'));
    {
        FileSizeLimit limit(4096);
        EXPECT_THROW(ini.UpdateFile(), EIniFileError);
    }
    EXPECT_EQ(ReadText(dir.File("zent.cfg")), old);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename(), "zent.cfg") << "no temporary file is left behind";
}

TEST(IniStoreWrite, AFileInADirectoryThatTakesNoNewFilesIsWrittenInPlace) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    const auto locked = dir.File("locked");
    fs::create_directory(locked);
    WriteText(locked / "zent.cfg", "[S]\nk=1\n");
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    {
        test::PermissionsBindRoot bind;
        ASSERT_FALSE(std::ofstream(locked / "probe")) << "the directory still takes new files";
        TIniFile ini((locked / "zent.cfg").string());
        ini.WriteString("S", "k", "2");
        EXPECT_NO_THROW(ini.UpdateFile());
    }
    fs::permissions(locked, fs::perms::owner_all);
    EXPECT_EQ(ReadText(locked / "zent.cfg"), "[S]\nk=2\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(locked), fs::directory_iterator()), 1);
}

TEST(IniStoreWrite, ReplacingTheFileKeepsItsPermissions) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "[S]\nk=1\n");
    const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(dir.File("a.ini"), mode);
    TIniFile ini(dir.File("a.ini").string());
    ini.WriteString("S", "k", "2");
    ini.UpdateFile();
    EXPECT_EQ(fs::status(dir.File("a.ini")).permissions(), mode);
}

TEST(IniStoreWrite, AFileReachedThroughALinkIsWrittenWhereTheLinkPoints) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    fs::create_directory(dir.File("real"));
    WriteText(dir.File("real") / "zent.cfg", "[S]\nk=1\n");
    fs::create_symlink(dir.File("real") / "zent.cfg", dir.File("zent.cfg"));
    TIniFile ini(dir.File("zent.cfg").string());
    ini.WriteString("S", "k", "2");
    ini.UpdateFile();
    EXPECT_TRUE(fs::is_symlink(dir.File("zent.cfg")));
    EXPECT_EQ(ReadText(dir.File("real") / "zent.cfg"), "[S]\nk=2\n");
}

TEST(IniStoreWrite, ReleasingWithoutUpdateLeavesTheFileAsItWas) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "[S]\nk=1\n");
    {
        TIniFile ini(dir.File("a.ini").string());
        ini.EraseSection("S");
    }
    EXPECT_EQ(ReadText(dir.File("a.ini")), "[S]\nk=1\n");
}

TEST(IniStoreRegional, FloatsAndDatesUseTheUsersLocale) {
    test::DefaultLocale german{QLocale(QLocale::German)};
    test::TempDir dir;
    TIniFile ini(dir.File("a.ini").string());
    ini.WriteFloat("S", "f", 1234.5);
    ini.WriteDate("S", "d", 45000.0);
    EXPECT_EQ(ini.ReadString("S", "f"), "1234,5");
    EXPECT_EQ(ini.ReadString("S", "d"), "15.03.2023");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("S", "f"), 1234.5);
    EXPECT_DOUBLE_EQ(ini.ReadDate("S", "d"), 45000.0);
}

TEST(IniStoreRegional, UnparsableOrEmptyValuesReadAsZero) {
    test::TempDir dir;
    WriteText(dir.File("a.ini"), "[S]\nf=abc\nd=\nt=noon\n");
    TIniFile ini(dir.File("a.ini").string());
    EXPECT_EQ(ini.ReadFloat("S", "f"), 0.0);
    EXPECT_EQ(ini.ReadDateTime("S", "d"), 0.0);
    EXPECT_EQ(ini.ReadTime("S", "t"), 0.0);
}

} // namespace
} // namespace zent
