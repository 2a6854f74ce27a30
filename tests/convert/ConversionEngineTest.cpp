#include "convert/ConversionEngine.h"

#include "tests/convert/ConvertTestSupport.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <ostream>

namespace zent::test {
namespace {

class LastReport final : public EngineObserver {
public:
    FileReport Report;
    void FileStarted(FileId) override {}
    void BytesWritten(FileId, std::int64_t, std::int64_t, std::int64_t) override {}
    void FileEnded(const FileReport& report) override { Report = report; }
};

// The sizes of an RF64 file's ds64 chunk, and its data.
struct Rf64File {
    std::string Tag;
    std::uint64_t RiffSize = 0;
    std::uint64_t DataSize = 0;
    std::uint64_t Frames = 0;
    std::uint64_t FileSize = 0;
    std::vector<std::byte> Data;
};

Rf64File ReadRf64(const std::filesystem::path& path) {
    const std::vector<std::byte> bytes = ReadAll(path);
    const auto u64 = [&](std::size_t at) {
        std::uint64_t value = 0;
        for (std::size_t i = 8; i-- > 0;)
            value = value << 8 | static_cast<std::uint8_t>(bytes.at(at + i));
        return value;
    };
    Rf64File file{std::string(reinterpret_cast<const char*>(bytes.data()), 4),
                  u64(20),
                  u64(28),
                  u64(36),
                  bytes.size(),
                  ReadWavDataChunk(path)};
    return file;
}

struct Rf64Case {
    const char* Name;
    std::int64_t AnnouncedBytes; // the length the stream announces
    unsigned Jobs;
};

void PrintTo(const Rf64Case& c, std::ostream* out) {
    *out << c.Name;
}

class Rf64Test : public ::testing::TestWithParam<Rf64Case> {};

// A file past the RIFF limit (lowered here to 1000 bytes) is written as RF64: from the start
// when the source announces its length, by moving the data once when it does not.
TEST_P(Rf64Test, FilePastTheRiffLimitIsWrittenAsRf64) {
    const Rf64Case& c = GetParam();
    TempDir out;
    LastReport observer;
    EngineProgress progress;
    EngineSettings settings;
    settings.Jobs = c.Jobs;
    settings.MaxRiffDataBytes = 1000;
    settings.OpenStream = [&](const std::filesystem::path&) {
        auto stream = std::make_unique<FakeStream>(2, 44100);
        stream->SetContinuous(100000);
        stream->SetLength(c.AnnouncedBytes);
        return stream;
    };
    {
        ConversionEngine engine(std::move(settings), observer, progress);
        engine.Add({"fake.mp3", out.File("a.wav").string(), false});
        engine.Close();
        engine.Run();
    }
    EXPECT_EQ(observer.Report.Outcome, FileOutcome::Converted) << observer.Report.Message;
    EXPECT_EQ(observer.Report.Frames, 25000);
    const Rf64File file = ReadRf64(out.File("a.wav"));
    EXPECT_EQ(file.Tag, "RF64");
    EXPECT_EQ(file.DataSize, 100000u);
    EXPECT_EQ(file.Frames, 25000u);
    EXPECT_EQ(file.RiffSize, file.FileSize - 8);
    EXPECT_EQ(file.FileSize, 80u + 100000);
    EXPECT_EQ(file.Data, PatternBytes(100000));
}

INSTANTIATE_TEST_SUITE_P(Lengths, Rf64Test,
                         ::testing::Values(Rf64Case{"announced", 100000, 1},
                                           Rf64Case{"unannounced", 0, 1},
                                           Rf64Case{"announced_in_slices", 100000, 3}),
                         [](const ::testing::TestParamInfo<Rf64Case>& param) {
                             return std::string(param.param.Name);
                         });

TEST(ConversionEngineTest, FileWithinTheRiffLimitKeepsThePlainHeader) {
    TempDir out;
    LastReport observer;
    EngineProgress progress;
    EngineSettings settings;
    settings.MaxRiffDataBytes = 100000;
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
    const WavFile wav = ReadWavFile(out.File("a.wav"));
    EXPECT_EQ(wav.Riff, "RIFF");
    EXPECT_EQ(wav.DataSize, 100000u);
    EXPECT_EQ(wav.FileSize, 100044u);
}

} // namespace
} // namespace zent::test
