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

TEST(TargetNames, OnlyAPlainNumberInParenthesesIsANumber) {
    const struct {
        const char* Name;
        const char* Stem;
        int Number;
    } cases[] = {{"a (3).wav", "a", 3},     {"a (01).wav", "a (01)", 1},
                 {"a (x).wav", "a (x)", 1}, {"a (1234567).wav", "a (1234567)", 1},
                 {"a ().wav", "a ()", 1},   {"a(2).wav", "a(2)", 1},
                 {"a.wav", "a", 1},         {"b (2) (5).wav", "b (2)", 5}};
    for (const auto& c : cases) {
        const NumberedName split = SplitNumberedFileName(c.Name);
        EXPECT_EQ(split.Stem, c.Stem) << c.Name;
        EXPECT_EQ(split.Number, c.Number) << c.Name;
    }
}

TEST(TargetNames, OnlyTheNameCountsSoNoTargetLeavesTheDirectory) {
    TargetNames names;
    EXPECT_EQ(names.Claim("/out/", "../../etc/passwd.mp3"), "/out/passwd.wav");
    EXPECT_EQ(names.Claim("/out/", "a/.."), "/out/..wav");
}

TEST(TargetNames, LongNamesAreCutAtACharacterToFitWithTheirNumber) {
    TargetNames names;
    const std::string stem(251, 'a');
    EXPECT_EQ(names.Claim("/out/", stem + ".mp3"), "/out/" + stem + ".wav");
    EXPECT_EQ(names.Claim("/out/", stem + ".ogg"), "/out/" + stem.substr(0, 247) + " (2).wav");
    // Two-byte characters: the cut never splits one.
    std::string wide;
    for (int i = 0; i < 130; ++i)
        wide += "\xc3\xa9";
    EXPECT_EQ(NumberedFileName(wide, 12), wide.substr(0, 246) + " (12).wav");
}

} // namespace
} // namespace zent
