#include "convert/ConversionEngine.h"

#include "tests/convert/ConvertTestSupport.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace zent::test {
namespace {

class LastReport final : public EngineObserver {
public:
    FileReport Report;
    void FileStarted(FileId) override {}
    void BytesWritten(FileId, std::int64_t, std::int64_t, std::int64_t) override {}
    void FileEnded(const FileReport& report) override { Report = report; }
};

TEST(ConversionEngineTest, AFileCutAtTheSizeLimitIsKeptAndCountsTheFramesWritten) {
    TempDir out;
    LastReport observer;
    EngineProgress progress;
    EngineSettings settings;
    settings.MaxDataBytes = 1000;
    settings.OpenStream = [](const std::filesystem::path&) {
        auto stream = std::make_unique<FakeStream>(2, 44100);
        stream->SetContinuous(100000);
        return stream;
    };
    {
        ConversionEngine engine(std::move(settings), observer, progress);
        engine.Add({"fake.mp3", out.File("a.wav").string(), false});
        engine.Close();
        engine.Run();
    }
    EXPECT_EQ(observer.Report.Outcome, FileOutcome::Failed);
    EXPECT_THAT(observer.Report.Message, ::testing::HasSubstr("size limit"));
    EXPECT_EQ(observer.Report.Frames, 250);
    EXPECT_EQ(ReadWavFile(out.File("a.wav")).DataSize, 1000u);
}

} // namespace
} // namespace zent::test
