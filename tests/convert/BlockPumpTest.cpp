#include "convert/BlockPump.h"

#include "convert/ConversionEngine.h"
#include "convert/SampleShaper.h"
#include "convert/SlicePlan.h"
#include "tests/convert/ConvertTestSupport.h"
#include "tests/support/TempDir.h"

#include <cmath>
#include <cstring>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <limits>
#include <numeric>
#include <ostream>
#include <random>
#include <set>
#include <sstream>

namespace zent::test {
namespace {

using ::testing::HasSubstr;

constexpr std::int64_t kCodecFrameBytes = 1152 * 4; // of the fake stereo stream

std::uint32_t U32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

std::vector<float> Floats(std::span<const std::byte> bytes) {
    std::vector<float> values(bytes.size() / 4);
    if (!values.empty())
        std::memcpy(values.data(), bytes.data(), bytes.size());
    return values;
}

// A fake stream with tags, or one that seeks exactly.
class TaggedStream final : public FakeStream {
public:
    using FakeStream::FakeStream;
    AudioTags Tags() const override {
        AudioTags tags;
        tags.Title = "Song";
        return tags;
    }
};

// Stereo 16-bit frames of patterned bytes, seekable to any frame.
class SeekableStream final : public DecoderStream {
public:
    explicit SeekableStream(std::int64_t bytes) : FLength(bytes) {}
    int Channels() const override { return 2; }
    int SampleRate() const override { return 44100; }
    std::int64_t LengthBytes() const override { return FLength; }
    bool IsActive() const override { return FPosition < FLength; }
    std::int64_t CodecFrameFrames() const override { return 1152; }
    bool CanSeekExactly() const override { return true; }
    void SeekToFrame(std::int64_t frame) override { FPosition = frame * 4; }
    // Known at the start, and one found by every decoder that reaches the end.
    std::vector<CoreText> Warnings() const override {
        std::vector<CoreText> found = {{CoreTextId::WrongLength}};
        if (FPosition == FLength)
            found.push_back({CoreTextId::NoEndMark});
        return found;
    }
    ReadResult Read(std::span<std::byte> buffer) override {
        const auto count = static_cast<std::size_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(buffer.size()), FLength - FPosition));
        for (std::size_t i = 0; i < count; ++i)
            buffer[i] = PatternByte(static_cast<std::uint64_t>(FPosition) + i);
        FPosition += static_cast<std::int64_t>(count);
        return ReadResult::Of(count, !IsActive());
    }

private:
    std::int64_t FLength;
    std::int64_t FPosition = 0;
};

// --- Standard output ----------------------------------------------------------------------

struct PipeRun {
    FileReport Report;
    std::string Bytes;
};

PipeRun ToPipe(FakeStream& stream, OutputFormat format = {}) {
    EngineRun run;
    std::ostringstream out;
    run.Settings.Output = format;
    run.Settings.StandardOutput = &out;
    PipeRun result;
    result.Report = run.Convert(stream, "standard output");
    result.Bytes = out.str();
    return result;
}

struct PadCase {
    const char* Name;
    SampleFormat Format;
    int SampleBytes;
    char Silence;
};

void PrintTo(const PadCase& c, std::ostream* out) {
    *out << c.Name;
}

class PipePadding : public ::testing::TestWithParam<PadCase> {};

// The header announced the length: a source up to a codec frame short is made whole with
// silence; more is a damaged source.
TEST_P(PipePadding, SourceUpToACodecFrameShortIsPaddedWithSilence) {
    const PadCase& c = GetParam();
    FakeStream stream(2, 44100);
    stream.SetBlocks({4000});
    stream.SetLength(4000 + kCodecFrameBytes);
    const PipeRun run = ToPipe(stream, {.Format = c.Format});
    ASSERT_EQ(run.Report.Outcome, FileOutcome::Converted) << run.Report.Message;
    const std::size_t data = (1000 + 1152) * 2 * static_cast<std::size_t>(c.SampleBytes);
    const std::size_t header = run.Bytes.size() - data;
    EXPECT_EQ(U32(run.Bytes, header - 4), data);
    EXPECT_EQ(U32(run.Bytes, 4), run.Bytes.size() - 8);
    const std::string tail = run.Bytes.substr(run.Bytes.size() - 1152 * 2 * c.SampleBytes);
    EXPECT_EQ(tail, std::string(tail.size(), c.Silence));

    FakeStream shorter(2, 44100);
    shorter.SetBlocks({4000});
    shorter.SetLength(4000 + kCodecFrameBytes + 4);
    const PipeRun failed = ToPipe(shorter, {.Format = c.Format});
    EXPECT_EQ(failed.Report.Outcome, FileOutcome::Failed);
    EXPECT_THAT(failed.Report.Message, HasSubstr("ends early"));
}

INSTANTIATE_TEST_SUITE_P(Formats, PipePadding,
                         ::testing::Values(PadCase{"s16", SampleFormat::S16, 2, '\0'},
                                           PadCase{"u8", SampleFormat::U8, 1, '\x80'},
                                           PadCase{"f32", SampleFormat::F32, 4, '\0'}),
                         [](const ::testing::TestParamInfo<PadCase>& param) {
                             return std::string(param.param.Name);
                         });

TEST(PipeOutput, TagsFollowTheDataAndTheRiffSizeCountsThem) {
    TaggedStream stream(2, 44100);
    stream.SetBlocks({4000});
    const PipeRun run = ToPipe(stream, {.Tags = true});
    ASSERT_EQ(run.Report.Outcome, FileOutcome::Converted) << run.Report.Message;
    const std::size_t list = run.Bytes.find("LIST");
    ASSERT_NE(list, std::string::npos);
    EXPECT_EQ(run.Bytes.substr(list + 8, 4), "INFO");
    EXPECT_THAT(run.Bytes.substr(list), HasSubstr("Song"));
    EXPECT_EQ(list, 44u + 4000);
    EXPECT_EQ(U32(run.Bytes, 4), run.Bytes.size() - 8);
    EXPECT_EQ(U32(run.Bytes, 40), 4000u);
}

TEST(PipeOutput, StreamPastTheRiffLimitGetsAnRf64StreamingHeader) {
    FakeStream stream(2, 44100);
    stream.SetContinuous(100000);
    EngineRun run;
    std::ostringstream out;
    run.Settings.StandardOutput = &out;
    run.Settings.MaxRiffDataBytes = 1000;
    EXPECT_EQ(run.Convert(stream, "standard output").Outcome, FileOutcome::Converted);
    const std::string bytes = out.str();
    EXPECT_EQ(bytes.substr(0, 4), "RF64");
    EXPECT_EQ(bytes.substr(12, 4), "ds64");
    EXPECT_GT(U32(bytes, 32), 0x7FFF0000u); // the data size: the largest there is
    EXPECT_EQ(bytes.size(), 80u + 100000);
}

// --- Reshaped output ----------------------------------------------------------------------

// A stop keeps whole frames under a header that tells them, in one piece or in slices.
TEST(ReshapedOutput, StopKeepsWholeFramesFromTheStart) {
    for (const unsigned jobs : {1u, 3u}) {
        SCOPED_TRACE(jobs);
        TempDir dir;
        const OutputFormat format{.Format = SampleFormat::S24, .Channels = 1};
        const auto convert = [&](const std::filesystem::path& target, bool stop) {
            EngineRun run;
            run.Settings.Output = format;
            run.Settings.Jobs = jobs;
            run.Settings.BufferSize = 4000;
            run.Settings.PlanSlices = [&](const DecoderStream&, const SliceContext&) {
                return EvenSlices(44100 * 20, static_cast<int>(jobs));
            };
            run.Settings.OpenStream = [](const std::filesystem::path&) {
                return std::make_unique<SeekableStream>(4 * 44100 * 20);
            };
            if (stop)
                run.OnBytes = [](ConversionEngine& engine, std::int64_t done) {
                    if (done > 100000)
                        engine.Stop(0);
                };
            return run.Convert(std::filesystem::path("fake.mp3"), target);
        };
        const FileReport whole = convert(dir.File("whole.wav"), false);
        ASSERT_EQ(whole.Outcome, FileOutcome::Converted) << whole.Message;
        const FileReport stopped = convert(dir.File("stopped.wav"), true);
        ASSERT_EQ(stopped.Outcome, FileOutcome::Stopped) << stopped.Message;
        const std::vector<std::byte> all = ReadWavDataChunk(dir.File("whole.wav"));
        const std::vector<std::byte> kept = ReadWavDataChunk(dir.File("stopped.wav"));
        EXPECT_EQ(kept.size() % 3, 0u);
        EXPECT_EQ(static_cast<std::int64_t>(kept.size()), stopped.Frames * 3);
        EXPECT_LT(kept.size(), all.size());
        EXPECT_TRUE(std::equal(kept.begin(), kept.end(), all.begin())) << "a gap in the data";
        EXPECT_EQ(std::filesystem::file_size(dir.File("stopped.wav")), 68 + kept.size());
    }
}

// Warnings found while decoding count too; a sliced file names each once.
TEST(Warnings, ThoseFoundWhileDecodingAreReportedOnce) {
    for (const unsigned jobs : {1u, 3u}) {
        SCOPED_TRACE(jobs);
        TempDir dir;
        EngineRun run;
        run.Settings.Jobs = jobs;
        run.Settings.PlanSlices = [&](const DecoderStream&, const SliceContext&) {
            return EvenSlices(44100 * 20, static_cast<int>(jobs));
        };
        run.Settings.OpenStream = [](const std::filesystem::path&) {
            return std::make_unique<SeekableStream>(4 * 44100 * 20);
        };
        const FileReport report = run.Convert(std::filesystem::path("fake.mp3"), dir.File("a.wav"));
        EXPECT_EQ(report.Outcome, FileOutcome::Converted) << report.Message;
        EXPECT_EQ(report.Warnings,
                  (std::vector<CoreText>{{CoreTextId::WrongLength}, {CoreTextId::NoEndMark}}));
    }
}

// --- The slice plan -----------------------------------------------------------------------

TEST(SlicePlan, EvenSlicesCoverEveryFrameOnce) {
    std::mt19937 random(7);
    for (int i = 0; i < 200; ++i) {
        const std::int64_t frames = std::uniform_int_distribution<std::int64_t>(0, 1 << 30)(random);
        const int count = std::uniform_int_distribution<int>(1, 16)(random);
        const std::vector<Slice> slices = EvenSlices(frames, count);
        ASSERT_EQ(slices.size(), static_cast<std::size_t>(count));
        std::int64_t next = 0;
        for (const Slice& slice : slices) {
            EXPECT_EQ(slice.First, next);
            EXPECT_GE(slice.Count, frames / count);
            next += slice.Count;
        }
        EXPECT_EQ(next, frames);
    }
}

TEST(SlicePlan, StreamPastFourGigabytesIsCutLikeAnyOther) {
    const SeekableStream stream(5'000'000'000);
    EXPECT_EQ(PlanSlices(stream, {4, 0, 0}).size(), 4u);
}

// --- The shaper ---------------------------------------------------------------------------

struct DitherCase {
    const char* Name;
    int SourceChannels;
    int SourceRate;
    OutputFormat Out;
};

void PrintTo(const DitherCase& c, std::ostream* out) {
    *out << c.Name;
}

class ShaperDither : public ::testing::TestWithParam<DitherCase> {};

// A signal that lies between two 16-bit steps comes out as both of them, not as one.
TEST_P(ShaperDither, MixOrResampleAloneIsDitheredToSixteenBits) {
    const DitherCase& c = GetParam();
    SampleShaper shaper(c.SourceChannels, c.SourceRate, c.Out);
    const std::vector<float> constant(static_cast<std::size_t>(c.SourceChannels) * 4800,
                                      100.5F / 32768.0F);
    const std::span<const std::byte> bytes = shaper.Process(constant);
    std::set<std::int16_t> values;
    for (std::size_t at = 2000; at + 2 <= bytes.size(); at += 2) {
        std::int16_t value = 0;
        std::memcpy(&value, bytes.data() + at, 2);
        values.insert(value);
    }
    EXPECT_GT(values.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Stages, ShaperDither,
                         ::testing::Values(DitherCase{"mix", 2, 44100, {.Channels = 1}},
                                           DitherCase{"resample", 1, 44100, {.Rate = 48000}}),
                         [](const ::testing::TestParamInfo<DitherCase>& param) {
                             return std::string(param.param.Name);
                         });

TEST(Shaper, NonFiniteSamplesBecomeSilenceInFloat) {
    SampleShaper shaper(2, 44100, {.Format = SampleFormat::F32});
    const std::vector<float> in = {std::numeric_limits<float>::quiet_NaN(),
                                   std::numeric_limits<float>::infinity(),
                                   -std::numeric_limits<float>::infinity(), 1.5F};
    EXPECT_EQ(Floats(shaper.Process(in)), (std::vector<float>{0.0F, 0.0F, 0.0F, 1.5F}));
}

TEST(Shaper, BlockWithoutOutputYetWritesNothing) {
    // 48 kHz to 1 kHz: a short block gives the resampler nothing to hand out yet.
    SampleShaper shaper(2, 48000, {.Format = SampleFormat::F32, .Rate = 1000});
    const std::vector<float> in(8, 0.25F);
    EXPECT_TRUE(shaper.Process(in).empty());
    EXPECT_EQ(SampleWriter(SampleFormat::F32).Write({}, nullptr), 0u);
}

TEST(FloatFrameReader, StreamOfPartFramesStillYieldsEveryFrame) {
    std::mt19937 random(11);
    for (int i = 0; i < 50; ++i) {
        std::vector<std::size_t> blocks;
        std::size_t total = 0;
        while (total < 4000) {
            blocks.push_back(std::uniform_int_distribution<std::size_t>(0, 9)(random));
            total += blocks.back();
        }
        blocks.push_back(4 - total % 4); // whole frames in all
        total += blocks.back();
        FakeStream stream(2, 44100);
        stream.SetBlocks(blocks);
        FloatFrameReader reader(stream, 64, "fake.mp3");
        std::size_t samples = 0;
        for (std::span<const float> frames = reader.Next(kAnyFrames); !frames.empty();
             frames = reader.Next(kAnyFrames))
            samples += frames.size();
        EXPECT_EQ(samples, total / 2);
    }
}

} // namespace
} // namespace zent::test
