#include "cli/Reporter.h"

#include <gtest/gtest.h>
#include <sstream>

namespace zent::cli {
namespace {

TEST(Reporter, SummaryCountsTheFilesAndTheAudioOfTheConvertedOnes) {
    std::vector<FileRecord> records(5);
    const auto ended = [](FileRecord& record, FileOutcome outcome, std::int64_t frames = 0,
                          int rate = 0) {
        record.Report.emplace();
        record.Report->Outcome = outcome;
        record.Report->Frames = frames;
        record.Report->SampleRate = rate;
    };
    ended(records[0], FileOutcome::Converted, 44100 * 90, 44100);
    ended(records[1], FileOutcome::Converted, 22050 * 30, 22050);
    ended(records[2], FileOutcome::Skipped);
    ended(records[3], FileOutcome::Failed);
    EXPECT_EQ(SummaryLine(Summarize(records, 4.0)),
              "2 converted, 1 skipped, 1 failed, 1 not started; 2:00 of audio in 0:04, 30.0x "
              "realtime");
    ended(records[4], FileOutcome::Abandoned);
    EXPECT_EQ(SummaryLine(Summarize(records, 0.0)),
              "2 converted, 1 skipped, 1 failed, 1 stopped; 2:00 of audio in 0:00, 0.0x realtime");
    records[1].Report->Warnings = {CoreText{CoreTextId::NoEndMark}};
    EXPECT_EQ(SummaryLine(Summarize(records, 4.0)),
              "2 converted (1 with warnings), 1 skipped, 1 failed, 1 stopped; 2:00 of audio in "
              "0:04, 30.0x realtime");
}

TEST(Reporter, ControlBytesAreShownEscaped) {
    EXPECT_EQ(ShownText("plain \xc3\xa9.mp3"), "plain \xc3\xa9.mp3");
    EXPECT_EQ(ShownText("a\nb\tc\rd\033]0;x\a\x7f"), "a\\nb\\tc\\rd\\033]0;x\\007\\177");
    const std::pair<std::string, std::string> hidden[] = {
        {"\xc2\x9b"
         "31m",
         "\\302\\23331m"}, // CSI as U+009B
        {"\x9b"
         "31m\xff",
         "\\23331m\xff"}, // CSI as a raw byte; 0xFF is no control
        {"a\xe2\x80\xaegpj.exe", "a\\342\\200\\256gpj.exe"}, // right-to-left override
        {"\xe2\x81\xa6x\xe2\x81\xa9", "\\342\\201\\246x\\342\\201\\251"},
        {"\xc2\xa0\xe2\x80\xaf\xe6\x9b\xb2", "\xc2\xa0\xe2\x80\xaf\xe6\x9b\xb2"}, // printable
    };
    for (const auto& [text, shown] : hidden)
        EXPECT_EQ(ShownText(text), shown) << shown;
}

// Two jobs that end at once both see the engine's counter at 2: each line gets its own number.
TEST(Reporter, EachFinishedFileGetsItsOwnNumber) {
    std::ostringstream out;
    std::ostringstream err;
    std::atomic<bool> stop = false;
    BatchProgress progress;
    progress.FilesTotal = 2;
    progress.FilesFinished = 2;
    Reporter reporter({}, progress, out, err, stop);
    FileRecord record{"a.mp3", "a.wav", FileReport{}};
    record.Report->Outcome = FileOutcome::Skipped;
    reporter.FileFinished(record);
    reporter.FileFinished(record);
    EXPECT_EQ(err.str(), "[1/2] skipped a.mp3: a.wav is already there\n"
                         "[2/2] skipped a.mp3: a.wav is already there\n");
}

TEST(Reporter, ReportEndsWithTheUnstartedFilesAndTheSummary) {
    std::vector<FileRecord> records = {
        {"a.mp3", "", FileReport{}}, {"b.mp3", "", std::nullopt}, {"c.mp3", "", std::nullopt}};
    records[0].Report->Outcome = FileOutcome::Stopped;
    std::ostringstream out;
    std::ostringstream err;
    std::ostringstream report;
    std::atomic<bool> stop = false;
    BatchProgress progress;
    Reporter reporter({true, false, false}, progress, out, err, stop, &report);
    reporter.FileFinished(records[0]);
    reporter.Finish(records, 1);
    std::istringstream lines(report.str());
    std::vector<std::string> written;
    for (std::string line; std::getline(lines, line);)
        written.push_back(line);
    ASSERT_EQ(written.size(), 4u) << report.str();
    EXPECT_NE(written[0].find("\"status\":\"stopped\""), std::string::npos);
    EXPECT_NE(written[2].find("\"source\":\"c.mp3\""), std::string::npos);
    EXPECT_NE(written[2].find("\"status\":\"not started\""), std::string::npos);
    EXPECT_EQ(
        written[3].rfind("{\"summary\":{\"converted\":0,\"skipped\":0,\"failed\":0,\"stopped\":1,"
                         "\"not_started\":2,\"jobs\":1,\"wall_seconds\":",
                         0),
        0u);
    EXPECT_EQ(out.str(), "");
}

} // namespace
} // namespace zent::cli
