#include "filelist/Paths.h"

#include <gtest/gtest.h>

namespace zent {
namespace {

TEST(GetExtension, OfAPathEndingInADotIsEmpty) {
    EXPECT_EQ(GetExtension("/music/song.mp3."), "");
}

TEST(GetExtension, MayReachIntoADirectoryName) {
    EXPECT_EQ(GetExtension("/My.Music/song"), "Music/song");
}

TEST(ChangeFileExt, AppendsWhenOnlyADirectoryHasADot) {
    EXPECT_EQ(ChangeFileExt("/My.Music/song", ".wav"), "/My.Music/song.wav");
    EXPECT_EQ(ChangeFileExt("song", ".wav"), "song.wav");
}

TEST(IncludeTrailingSeparator, AddsASlashOnlyWhereMissing) {
    EXPECT_EQ(IncludeTrailingSeparator("/tmp/out"), "/tmp/out/");
    EXPECT_EQ(IncludeTrailingSeparator("/tmp/out/"), "/tmp/out/");
    EXPECT_EQ(IncludeTrailingSeparator(""), "");
}

} // namespace
} // namespace zent
