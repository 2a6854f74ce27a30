#include "decode/Decoder.h"
#include "decode/PcmRounding.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace zent {
namespace {

using test::EncodeMp3;
using test::EncodeOgg;
using test::EncodeOpus;
using test::TempDir;
using test::ToneSpec;

std::vector<std::byte> ReadAll(DecoderStream& stream, std::size_t requestBytes = 65537) {
    std::vector<std::byte> data;
    std::vector<std::byte> buffer(requestBytes);
    while (stream.IsActive()) {
        const std::size_t got = stream.Read(buffer).Bytes;
        data.insert(data.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
    }
    return data;
}

template <typename Sample> std::vector<Sample> As(const std::vector<std::byte>& bytes) {
    std::vector<Sample> samples(bytes.size() / sizeof(Sample));
    std::memcpy(samples.data(), bytes.data(), samples.size() * sizeof(Sample));
    return samples;
}

struct FloatCase {
    std::string Name;
    std::function<void(const std::filesystem::path&)> Make;
    int StepsApart; // how far the rounded floats may be from the 16-bit samples
    bool SeeksExactly;
};

void PrintTo(const FloatCase& c, std::ostream* out) {
    *out << c.Name;
}

std::vector<FloatCase> FloatCases() {
    std::vector<FloatCase> cases;
    for (const int channels : {1, 2}) {
        const std::string layout = channels == 1 ? "Mono" : "Stereo";
        const ToneSpec tone{44100, channels, 1.5};
        // libmpg123 rounds its own synthesis to 16 bits; Vorbis and Opus round these floats.
        cases.push_back(
            {"Mp3" + layout, [=](const auto& f) { EncodeMp3(f, tone); }, 1, channels == 2});
        cases.push_back({"Vorbis" + layout, [=](const auto& f) { EncodeOgg(f, tone); }, 0, true});
        cases.push_back({"Opus" + layout,
                         [=](const auto& f) {
                             EncodeOpus(f, ToneSpec{48000, channels, 1.5});
                         },
                         0, true});
    }
    // Surround channels come in WAV order in both kinds.
    cases.push_back({"Vorbis51",
                     [](const auto& f) {
                         EncodeOgg(f, ToneSpec{44100, 6, 1.5});
                     },
                     0, true});
    cases.push_back({"Opus51",
                     [](const auto& f) {
                         EncodeOpus(f, ToneSpec{48000, 6, 1.5});
                     },
                     0, true});
    return cases;
}

std::string FloatCaseName(const testing::TestParamInfo<FloatCase>& info) {
    return info.param.Name;
}

class FloatStream : public testing::TestWithParam<FloatCase> {
protected:
    void SetUp() override { GetParam().Make(FFile); }

    TempDir FDir;
    std::filesystem::path FFile = FDir.File("tone");
};

TEST_P(FloatStream, GivesTheFramesOfTheSixteenBitStreamAtFullPrecision) {
    auto pcm = OpenDecoderStream(FFile);
    auto floats = OpenDecoderStream(FFile, SampleKind::Float32);
    ASSERT_NE(pcm, nullptr);
    ASSERT_NE(floats, nullptr);
    EXPECT_EQ(pcm->Kind(), SampleKind::Int16);
    EXPECT_EQ(floats->Kind(), SampleKind::Float32);
    EXPECT_EQ(floats->BitsPerSample(), 32);
    EXPECT_EQ(floats->Channels(), pcm->Channels());
    EXPECT_EQ(floats->SampleRate(), pcm->SampleRate());
    EXPECT_EQ(floats->LengthBytes(), 2 * pcm->LengthBytes());
    EXPECT_DOUBLE_EQ(floats->LengthSeconds(), pcm->LengthSeconds());

    const auto reference = As<std::int16_t>(ReadAll(*pcm));
    // An odd request size splits frames between reads.
    const auto bytes = ReadAll(*floats, 4099);
    EXPECT_EQ(static_cast<std::int64_t>(bytes.size()), floats->LengthBytes());
    const auto samples = As<float>(bytes);
    ASSERT_EQ(samples.size(), reference.size());
    int worst = 0;
    bool finer = false;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        worst = std::max(worst, std::abs(RoundToPcm<16>(samples[i]) - reference[i]));
        finer = finer || samples[i] * 32768.0f != static_cast<float>(reference[i]);
    }
    EXPECT_LE(worst, GetParam().StepsApart);
    EXPECT_TRUE(finer) << "the floats went through 16 bits";
}

TEST_P(FloatStream, SeekGivesTheSamplesOfADecodeFromTheStart) {
    auto linear = OpenDecoderStream(FFile, SampleKind::Float32);
    auto stream = OpenDecoderStream(FFile, SampleKind::Float32);
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(stream->CanSeekExactly(), GetParam().SeeksExactly);
    if (!GetParam().SeeksExactly) {
        return;
    }
    const auto reference = ReadAll(*linear);
    const auto frameBytes = static_cast<std::size_t>(stream->Channels()) * sizeof(float);
    const auto length = static_cast<std::int64_t>(reference.size() / frameBytes);
    for (const std::int64_t frame : {std::int64_t{1}, length / 3, length - 1}) {
        stream->SeekToFrame(frame);
        const auto got = ReadAll(*stream, 4097);
        const auto from = reference.begin() +
                          static_cast<std::ptrdiff_t>(static_cast<std::size_t>(frame) * frameBytes);
        EXPECT_TRUE(std::equal(got.begin(), got.end(), from, reference.end()))
            << "at frame " << frame;
        EXPECT_EQ(got.size(), static_cast<std::size_t>(reference.end() - from));
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, FloatStream, testing::ValuesIn(FloatCases()), FloatCaseName);

} // namespace
} // namespace zent
