#include "cli/Reporter.h"

#include <gtest/gtest.h>

namespace zent::cli {
namespace {

TEST(Reporter, SummaryCountsTheFilesAndTheAudioOfTheConvertedOnes) {
    std::vector<FileResult> results(5);
    results[0] = {"a", "a.wav", FileStatus::Converted, "", 44100 * 90, 2, 44100};
    results[1] = {"b", "b.wav", FileStatus::Converted, "", 22050 * 30, 1, 22050};
    results[2].Status = FileStatus::Skipped;
    results[3].Status = FileStatus::Failed;
    EXPECT_EQ(SummaryLine(Summarize(results, 4.0)),
              "2 converted, 1 skipped, 1 failed; 2:00 of audio in 0:04, 30.0x realtime");
    results[4].Status = FileStatus::Stopped;
    EXPECT_EQ(SummaryLine(Summarize(results, 0.0)),
              "2 converted, 1 skipped, 1 failed, 1 stopped; 2:00 of audio in 0:00, 0.0x realtime");
}

TEST(Reporter, ControlBytesAreShownEscaped) {
    EXPECT_EQ(ShownText("plain \xc3\xa9.mp3"), "plain \xc3\xa9.mp3");
    EXPECT_EQ(ShownText("a\nb\tc\rd\033]0;x\a\x7f"), "a\\nb\\tc\\rd\\033]0;x\\007\\177");
}

} // namespace
} // namespace zent::cli
