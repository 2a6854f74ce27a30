#include "filelist/FileList.h"
#include "framework/Errors.h"
#include "tests/support/TempDir.h"

#include <fstream>
#include <gtest/gtest.h>

namespace zent {
namespace {

// Paths that do not exist: accepted ones are added and then fail their probe.
void AddMissing(FileList& list, const std::string& path) {
    EXPECT_THROW(list.AddFile(path), Error) << path;
}

TEST(AddFile, AcceptsAnUpperCaseExtension) {
    FileList list;
    AddMissing(list, "/music/Song.MP3");
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(0).FileName, "Song.MP3");
    EXPECT_EQ(list.At(0).SourcePath, "/music/Song.MP3");
    EXPECT_EQ(list.At(0).TargetPath, "/music/Song.wav");
}

TEST(AddFile, SkipsOtherExtensionsSilently) {
    FileList list;
    for (const char* path : {"/music/notes.txt", "/music/song.mp3.bak", "/music/song",
                             "/music/song.mp3.", "/My.Music/song", "/music/song.mp33"}) {
        EXPECT_EQ(list.AddFile(path), nullptr) << path;
    }
    EXPECT_TRUE(list.Empty());
}

TEST(AddFile, ComparesOnlyAsciiLettersCaseInsensitively) {
    // U+0130 (capital I with dot) would lower-case to "i" under Unicode rules.
    EXPECT_FALSE(IsAcceptedPath("/music/song.\xC4\xB0mp3"));
    EXPECT_TRUE(IsAcceptedPath("/music/song.Mp3"));
    EXPECT_TRUE(IsAcceptedPath("/music/voice.OPUS"));
}

TEST(AddFile, TreatsABackslashAsPartOfTheName) {
    FileList list;
    AddMissing(list, "/music/AC\\DC.mp3");
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(0).FileName, "AC\\DC.mp3");
}

TEST(AddFile, FileThatCannotBeDecodedStaysWithZeroLengthAndSize) {
    test::TempDir dir;
    const std::string path = dir.File("broken.mp3").string();
    std::ofstream(path) << "this is not audio";
    FileList list;
    try {
        list.AddFile(path);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Sample not loaded.");
    }
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(0).FileName, "broken.mp3");
    EXPECT_EQ(list.At(0).LengthSeconds, 0);
    EXPECT_EQ(list.At(0).ProjectedSize, 0);
}

TEST(AddFile, DirectoryNamedLikeAnMp3FailsItsProbe) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.File("album.mp3"));
    FileList list;
    EXPECT_THROW(list.AddFile(dir.File("album.mp3").string()), Error);
    ASSERT_EQ(list.Count(), 1u);
    EXPECT_EQ(list.At(0).LengthSeconds, 0);
}

TEST(AddFile, SamePathTwiceGivesTwoEqualEntries) {
    FileList list;
    AddMissing(list, "/music/song.mp3");
    AddMissing(list, "/music/song.mp3");
    ASSERT_EQ(list.Count(), 2u);
    EXPECT_NE(&list.At(0), &list.At(1));
    EXPECT_EQ(list.At(0).SourcePath, list.At(1).SourcePath);
    EXPECT_EQ(list.At(0).TargetPath, list.At(1).TargetPath);
    EXPECT_EQ(list.At(0).ProjectedSize, list.At(1).ProjectedSize);
}

TEST(FileList, RemoveIndicesKeepsTheOthersInOrder) {
    FileList list;
    for (const char* name : {"A", "B", "C", "D", "E"})
        list.Append({name, "", "", 0, 0});
    list.RemoveIndices({3, 0, 3});
    ASSERT_EQ(list.Count(), 3u);
    EXPECT_EQ(list.At(0).FileName, "B");
    EXPECT_EQ(list.At(1).FileName, "C");
    EXPECT_EQ(list.At(2).FileName, "E");
}

} // namespace
} // namespace zent
