#include "convert/TargetNames.h"

#include <gtest/gtest.h>

namespace zent {
namespace {

TEST(TargetNames, LaterFilesOfTheSameNameAreNumbered) {
    TargetNames names;
    EXPECT_EQ(names.Claim("/out/", "song.mp3"), "/out/song.wav");
    EXPECT_EQ(names.Claim("/out/", "song.ogg"), "/out/song (2).wav");
    EXPECT_EQ(names.Claim("/out/", "song.MP3"), "/out/song (3).wav");
    EXPECT_EQ(names.Claim("/out/", "song (2).mp3"), "/out/song (2) (2).wav");
    EXPECT_EQ(names.Claim("/other/", "song.mp3"), "/other/song.wav");
    EXPECT_EQ(names.Claim("/out/", "noext"), "/out/noext.wav");
}

TEST(TargetNames, OnlyTheNameCountsSoNoTargetLeavesTheDirectory) {
    TargetNames names;
    EXPECT_EQ(names.Claim("/out/", "../../etc/passwd.mp3"), "/out/passwd.wav");
    EXPECT_EQ(names.Claim("/out/", "a/.."), "/out/..wav");
}

} // namespace
} // namespace zent
