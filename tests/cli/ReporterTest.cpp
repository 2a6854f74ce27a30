#include "cli/Reporter.h"

#include <gtest/gtest.h>

namespace zent::cli {
namespace {

TEST(Reporter, SummaryCountsTheFilesAndTheAudioOfTheConvertedOnes) {
    std::vector<FileResult> results(5);
    const auto converted = [](FileResult& result, std::int64_t frames, int rate) {
        result.Status = FileStatus::Converted;
        result.Frames = frames;
        result.SampleRate = rate;
    };
    converted(results[0], 44100 * 90, 44100);
    converted(results[1], 22050 * 30, 22050);
    results[2].Status = FileStatus::Skipped;
    results[3].Status = FileStatus::Failed;
    EXPECT_EQ(SummaryLine(Summarize(results, 4.0)),
              "2 converted, 1 skipped, 1 failed; 2:00 of audio in 0:04, 30.0x realtime");
    results[4].Status = FileStatus::Stopped;
    EXPECT_EQ(SummaryLine(Summarize(results, 0.0)),
              "2 converted, 1 skipped, 1 failed, 1 stopped; 2:00 of audio in 0:00, 0.0x realtime");
    results[1].Warning = "ends without its end-of-stream mark: it may be cut short";
    EXPECT_EQ(SummaryLine(Summarize(results, 4.0)),
              "2 converted (1 with warnings), 1 skipped, 1 failed, 1 stopped; 2:00 of audio in "
              "0:04, 30.0x realtime");
}

TEST(Reporter, ControlBytesAreShownEscaped) {
    EXPECT_EQ(ShownText("plain \xc3\xa9.mp3"), "plain \xc3\xa9.mp3");
    EXPECT_EQ(ShownText("a\nb\tc\rd\033]0;x\a\x7f"), "a\\nb\\tc\\rd\\033]0;x\\007\\177");
}

} // namespace
} // namespace zent::cli
