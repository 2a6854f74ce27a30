#include "decode/Decoder.h"

#include "framework/Errors.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace zent {
namespace {

using test::DominantFrequency;
using test::EncodeMp3;
using test::EncodeOgg;
using test::FrameCount;
using test::Mp3Options;
using test::TempDir;
using test::ToneFrequency;
using test::ToneSpec;

constexpr std::size_t kBlockBytes = 800000;
constexpr double kFrequencyTolerance = 3.0;
constexpr int kLfeChannel = 3; // of 5.1 in WAV order

// Reads the stream to its end in requests of the given size.
std::vector<std::byte> ReadAll(DecoderStream& stream, std::size_t requestBytes = kBlockBytes) {
    std::vector<std::byte> data;
    std::vector<std::byte> buffer(requestBytes);
    while (stream.IsActive()) {
        const std::size_t got = stream.Read(buffer);
        EXPECT_LE(got, buffer.size());
        data.insert(data.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
    }
    return data;
}

std::vector<std::int16_t> ToSamples(const std::vector<std::byte>& bytes) {
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto low = static_cast<unsigned>(bytes[2 * i]);
        const auto high = static_cast<unsigned>(bytes[2 * i + 1]);
        samples[i] = static_cast<std::int16_t>(low | (high << 8));
    }
    return samples;
}

std::vector<char> FileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& file, const std::vector<char>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

double Rms(const std::vector<std::int16_t>& samples, int channels, int channel) {
    double sum = 0.0;
    std::size_t count = 0;
    for (std::size_t i = static_cast<std::size_t>(channel); i < samples.size();
         i += static_cast<std::size_t>(channels)) {
        sum += static_cast<double>(samples[i]) * samples[i];
        ++count;
    }
    return count == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(count));
}

void ExpectChannelTones(const std::vector<std::byte>& data, int channels, int sampleRate) {
    const auto samples = ToSamples(data);
    for (int channel = 0; channel < channels; ++channel) {
        // The encoder's 5.1 mode low-passes the LFE channel, which removes its tone.
        if (channels == 6 && channel == kLfeChannel &&
            Rms(samples, channels, channel) < 0.1 * Rms(samples, channels, 0)) {
            continue;
        }
        EXPECT_NEAR(DominantFrequency(samples, channels, channel, sampleRate),
                    ToneFrequency(channel), kFrequencyTolerance)
            << "channel " << channel;
    }
}

// A stream that may not open; if it does, decoding must end or fail with a clear error.
void ExpectNoCrash(const std::filesystem::path& file) {
    auto stream = OpenDecoderStream(file);
    if (!stream) {
        return;
    }
    try {
        const auto data = ReadAll(*stream);
        EXPECT_EQ(data.size() % static_cast<std::size_t>(stream->Channels() * 2), 0u);
    } catch (const EDecoderError& error) {
        EXPECT_NE(std::string(error.what()), "");
    }
}

// One generated tone file per test, decoded by the cases of one format.
template <typename Case> class ToneFileTest : public testing::TestWithParam<Case> {
protected:
    void ExpectReportsTheEncodedFormat() const {
        auto stream = OpenDecoderStream(FFile);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->SampleRate(), FSpec.sampleRate);
        EXPECT_EQ(stream->Channels(), FSpec.channels);
        EXPECT_EQ(stream->BitsPerSample(), 16);
    }

    TempDir FDir;
    ToneSpec FSpec;
    std::filesystem::path FFile;
};

// --- MP3 matrix ---

struct Mp3Case {
    int sampleRate;
    int channels;
    bool vbr;
    bool infoTag;
};

std::string Mp3CaseName(const testing::TestParamInfo<Mp3Case>& info) {
    const Mp3Case& c = info.param;
    return std::to_string(c.sampleRate) + (c.channels == 1 ? "Mono" : "Stereo") +
           (c.vbr ? "Vbr" : "Cbr") + (c.infoTag ? "Tagged" : "Untagged");
}

std::vector<Mp3Case> AllMp3Cases() {
    std::vector<Mp3Case> cases;
    for (int rate : {22050, 44100, 48000}) {
        for (int channels : {1, 2}) {
            for (bool vbr : {false, true}) {
                for (bool tag : {false, true}) {
                    cases.push_back({rate, channels, vbr, tag});
                }
            }
        }
    }
    return cases;
}

class Mp3Decoding : public ToneFileTest<Mp3Case> {
protected:
    void SetUp() override {
        const Mp3Case& c = GetParam();
        FSpec = {c.sampleRate, c.channels, 1.5};
        FFile = FDir.File("tone.mp3");
        EncodeMp3(FFile, FSpec, Mp3Options{c.vbr, c.infoTag, 128});
    }
};

TEST_P(Mp3Decoding, ReportsTheEncodedFormat) {
    ExpectReportsTheEncodedFormat();
}

TEST_P(Mp3Decoding, LengthEqualsTheBytesDelivered) {
    auto stream = OpenDecoderStream(FFile);
    ASSERT_NE(stream, nullptr);
    const std::int64_t length = stream->LengthBytes();
    EXPECT_EQ(static_cast<std::int64_t>(ReadAll(*stream).size()), length);
    EXPECT_DOUBLE_EQ(stream->LengthSeconds(),
                     static_cast<double>(length) / (FSpec.sampleRate * FSpec.channels * 2));
}

TEST_P(Mp3Decoding, TaggedFileDecodesToTheOriginalSampleCountAndTones) {
    auto stream = OpenDecoderStream(FFile);
    ASSERT_NE(stream, nullptr);
    const auto data = ReadAll(*stream);
    const auto frames = static_cast<std::int64_t>(data.size()) / (FSpec.channels * 2);
    if (GetParam().infoTag) {
        EXPECT_EQ(frames, FrameCount(FSpec));
    } else {
        // Without the tag the encoder's delay and padding cannot be known.
        EXPECT_GE(frames, FrameCount(FSpec));
    }
    ExpectChannelTones(data, FSpec.channels, FSpec.sampleRate);
}

INSTANTIATE_TEST_SUITE_P(Formats, Mp3Decoding, testing::ValuesIn(AllMp3Cases()), Mp3CaseName);

// --- Ogg matrix ---

using OggCase = std::tuple<int, int>; // sample rate, channels

std::string OggCaseName(const testing::TestParamInfo<OggCase>& info) {
    return std::to_string(std::get<0>(info.param)) + "Hz" +
           std::to_string(std::get<1>(info.param)) + "Channels";
}

class OggDecoding : public ToneFileTest<OggCase> {
protected:
    void SetUp() override {
        FSpec = {std::get<0>(GetParam()), std::get<1>(GetParam()), 1.5};
        FFile = FDir.File("tone.ogg");
        EncodeOgg(FFile, FSpec);
    }
};

TEST_P(OggDecoding, ReportsTheEncodedFormat) {
    ExpectReportsTheEncodedFormat();
}

TEST_P(OggDecoding, DeliversExactlyTheOriginalSampleCount) {
    auto stream = OpenDecoderStream(FFile);
    ASSERT_NE(stream, nullptr);
    const std::int64_t frameBytes = FSpec.channels * 2;
    EXPECT_EQ(stream->LengthBytes(), FrameCount(FSpec) * frameBytes);
    EXPECT_EQ(static_cast<std::int64_t>(ReadAll(*stream).size()), FrameCount(FSpec) * frameBytes);
}

TEST_P(OggDecoding, EveryChannelKeepsItsOwnTone) {
    auto stream = OpenDecoderStream(FFile);
    ASSERT_NE(stream, nullptr);
    ExpectChannelTones(ReadAll(*stream), FSpec.channels, FSpec.sampleRate);
}

INSTANTIATE_TEST_SUITE_P(Formats, OggDecoding,
                         testing::Combine(testing::Values(22050, 44100, 96000),
                                          testing::Values(1, 2, 6)),
                         OggCaseName);

class OggChannelOrder : public testing::TestWithParam<int> {};

TEST_P(OggChannelOrder, SurroundChannelsComeOutInWavOrder) {
    TempDir dir;
    const ToneSpec tone{44100, GetParam(), 1.0};
    EncodeOgg(dir.File("surround.ogg"), tone);
    auto stream = OpenDecoderStream(dir.File("surround.ogg"));
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(stream->Channels(), tone.channels);
    ExpectChannelTones(ReadAll(*stream), tone.channels, tone.sampleRate);
}

INSTANTIATE_TEST_SUITE_P(ChannelCounts, OggChannelOrder, testing::Range(3, 9));

// --- Requests that are not whole frames ---

TEST(DecoderRequestSize, SixChannelOggLosesNothingWithAnOddBlockSize) {
    TempDir dir;
    const ToneSpec tone{44100, 6, 3.0}; // more than two 800000-byte blocks
    EncodeOgg(dir.File("six.ogg"), tone);
    auto whole = OpenDecoderStream(dir.File("six.ogg"));
    auto odd = OpenDecoderStream(dir.File("six.ogg"));
    ASSERT_NE(whole, nullptr);
    ASSERT_NE(odd, nullptr);
    ASSERT_NE(kBlockBytes % 12, 0u);
    const auto expected = ReadAll(*whole, 12 * 1024);
    EXPECT_EQ(static_cast<std::int64_t>(expected.size()), FrameCount(tone) * 12);
    EXPECT_EQ(ReadAll(*odd, kBlockBytes), expected);
}

TEST(DecoderRequestSize, OggLosesNothingWithRequestsSmallerThanAFrame) {
    TempDir dir;
    const ToneSpec tone{22050, 6, 0.3};
    EncodeOgg(dir.File("six.ogg"), tone);
    auto whole = OpenDecoderStream(dir.File("six.ogg"));
    auto tiny = OpenDecoderStream(dir.File("six.ogg"));
    ASSERT_NE(whole, nullptr);
    ASSERT_NE(tiny, nullptr);
    EXPECT_EQ(ReadAll(*tiny, 7), ReadAll(*whole));
}

TEST(DecoderRequestSize, Mp3LosesNothingWithOddRequestSizes) {
    TempDir dir;
    const ToneSpec tone{44100, 2, 0.5};
    EncodeMp3(dir.File("tone.mp3"), tone);
    auto whole = OpenDecoderStream(dir.File("tone.mp3"));
    ASSERT_NE(whole, nullptr);
    const auto expected = ReadAll(*whole);
    for (std::size_t request : {std::size_t{3}, std::size_t{4097}}) {
        auto odd = OpenDecoderStream(dir.File("tone.mp3"));
        ASSERT_NE(odd, nullptr);
        EXPECT_EQ(ReadAll(*odd, request), expected) << "request " << request;
    }
}

TEST(DecoderRequestSize, ReadFillsTheWholeBufferWhileDataRemains) {
    TempDir dir;
    const ToneSpec tone{44100, 2, 1.0};
    EncodeOgg(dir.File("tone.ogg"), tone);
    auto stream = OpenDecoderStream(dir.File("tone.ogg"));
    ASSERT_NE(stream, nullptr);
    std::vector<std::byte> buffer(100001);
    EXPECT_EQ(stream->Read(buffer), buffer.size());
}

TEST(DecoderEnd, ReadAtTheEndGivesNothingAndTheStreamIsInactive) {
    TempDir dir;
    EncodeMp3(dir.File("tone.mp3"), ToneSpec{44100, 2, 0.3});
    auto stream = OpenDecoderStream(dir.File("tone.mp3"));
    ASSERT_NE(stream, nullptr);
    ReadAll(*stream);
    EXPECT_FALSE(stream->IsActive());
    std::vector<std::byte> buffer(1024);
    EXPECT_EQ(stream->Read(buffer), 0u);
}

// --- Chained and changing formats ---

std::filesystem::path JoinFiles(const TempDir& dir, const char* name,
                                const std::filesystem::path& first,
                                const std::filesystem::path& second) {
    auto joined = FileBytes(first);
    const auto tail = FileBytes(second);
    joined.insert(joined.end(), tail.begin(), tail.end());
    WriteBytes(dir.File(name), joined);
    return dir.File(name);
}

TEST(DecoderFormatChange, Mp3EndsInTheFirstFormatWhereTheFormatChanges) {
    TempDir dir;
    const ToneSpec first{44100, 2, 1.0};
    EncodeMp3(dir.File("a.mp3"), first, Mp3Options{false, false, 128});
    EncodeMp3(dir.File("b.mp3"), ToneSpec{22050, 1, 1.0}, Mp3Options{false, false, 64});
    auto stream =
        OpenDecoderStream(JoinFiles(dir, "joined.mp3", dir.File("a.mp3"), dir.File("b.mp3")));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->SampleRate(), 44100);
    EXPECT_EQ(stream->Channels(), 2);
    const auto data = ReadAll(*stream);
    EXPECT_EQ(static_cast<std::int64_t>(data.size()), stream->LengthBytes());
    // All of the first part (with the encoder's delay and padding), none of the second.
    const std::int64_t frames = static_cast<std::int64_t>(data.size()) / 4;
    EXPECT_GE(frames, FrameCount(first));
    EXPECT_LT(frames, FrameCount(first) + 3 * 1152);
    ExpectChannelTones(data, 2, 44100);
}

TEST(DecoderFormatChange, TaggedMp3EndsWhereItsInfoHeaderSays) {
    TempDir dir;
    const ToneSpec tone{44100, 2, 1.0};
    EncodeMp3(dir.File("a.mp3"), tone);
    auto stream =
        OpenDecoderStream(JoinFiles(dir, "twice.mp3", dir.File("a.mp3"), dir.File("a.mp3")));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->LengthBytes(), FrameCount(tone) * 4);
    EXPECT_EQ(static_cast<std::int64_t>(ReadAll(*stream).size()), FrameCount(tone) * 4);
}

TEST(DecoderFormatChange, ChainedOggOfOneFormatPlaysEveryLink) {
    TempDir dir;
    // Links long enough for several pages each.
    const ToneSpec tone{44100, 2, 1.5};
    EncodeOgg(dir.File("a.ogg"), tone);
    EncodeOgg(dir.File("b.ogg"), tone);
    auto stream =
        OpenDecoderStream(JoinFiles(dir, "chain.ogg", dir.File("a.ogg"), dir.File("b.ogg")));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->LengthBytes(), 2 * FrameCount(tone) * 4);
    EXPECT_EQ(static_cast<std::int64_t>(ReadAll(*stream).size()), 2 * FrameCount(tone) * 4);
}

TEST(DecoderFormatChange, ChainedOggEndsWhereALinkChangesFormat) {
    TempDir dir;
    const ToneSpec first{44100, 2, 1.5};
    EncodeOgg(dir.File("a.ogg"), first);
    EncodeOgg(dir.File("b.ogg"), ToneSpec{22050, 1, 1.5});
    auto stream =
        OpenDecoderStream(JoinFiles(dir, "chain.ogg", dir.File("a.ogg"), dir.File("b.ogg")));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->SampleRate(), 44100);
    EXPECT_EQ(stream->Channels(), 2);
    EXPECT_EQ(stream->LengthBytes(), FrameCount(first) * 4);
    EXPECT_EQ(static_cast<std::int64_t>(ReadAll(*stream).size()), FrameCount(first) * 4);
}

// --- Choosing the decoder and opening paths ---

TEST(DecoderOpening, OggNamedMp3OpensByItsContent) {
    TempDir dir;
    EncodeOgg(dir.File("really-ogg.mp3"), ToneSpec{44100, 6, 0.3});
    auto stream = OpenDecoderStream(dir.File("really-ogg.mp3"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->Channels(), 6);
}

TEST(DecoderOpening, Mp3NamedOggOpensByItsContent) {
    TempDir dir;
    EncodeMp3(dir.File("really-mp3.ogg"), ToneSpec{48000, 1, 0.3});
    auto stream = OpenDecoderStream(dir.File("really-mp3.ogg"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->SampleRate(), 48000);
}

TEST(DecoderOpening, PathInAnyScriptOpens) {
    TempDir dir;
    const auto file = dir.Path() / std::filesystem::path(u8"Тон ♪ 音.mp3");
    EncodeMp3(file, ToneSpec{44100, 2, 0.3});
    EXPECT_NE(OpenDecoderStream(file), nullptr);
}

TEST(DecoderOpening, InitialisingTwiceIsHarmless) {
    InitDecoders();
    InitDecoders();
    TempDir dir;
    EncodeOgg(dir.File("tone.ogg"), ToneSpec{44100, 1, 0.3});
    EXPECT_NE(OpenDecoderStream(dir.File("tone.ogg")), nullptr);
}

// --- Inputs that are not (whole) audio ---

TEST(DecoderBadInput, MissingFileGivesNull) {
    TempDir dir;
    EXPECT_EQ(OpenDecoderStream(dir.File("absent.mp3")), nullptr);
}

TEST(DecoderBadInput, DirectoryGivesNull) {
    TempDir dir;
    std::filesystem::create_directory(dir.File("folder.mp3"));
    EXPECT_EQ(OpenDecoderStream(dir.File("folder.mp3")), nullptr);
}

TEST(DecoderBadInput, EmptyFilesGiveNull) {
    TempDir dir;
    WriteBytes(dir.File("empty.mp3"), {});
    WriteBytes(dir.File("empty.ogg"), {});
    EXPECT_EQ(OpenDecoderStream(dir.File("empty.mp3")), nullptr);
    EXPECT_EQ(OpenDecoderStream(dir.File("empty.ogg")), nullptr);
}

TEST(DecoderBadInput, TextRenamedToAudioGivesNull) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 2000; ++i) {
        text += "This is a line of plain text, not audio. ";
    }
    WriteBytes(dir.File("notes.mp3"), {text.begin(), text.end()});
    WriteBytes(dir.File("notes.ogg"), {text.begin(), text.end()});
    EXPECT_EQ(OpenDecoderStream(dir.File("notes.mp3")), nullptr);
    EXPECT_EQ(OpenDecoderStream(dir.File("notes.ogg")), nullptr);
}

TEST(DecoderBadInput, OggSignatureWithoutVorbisGivesNull) {
    TempDir dir;
    // Filled first: GCC 12 at -O3 warns falsely about growing a four-element vector.
    std::vector<char> bytes(5000, '\x42');
    std::memcpy(bytes.data(), "OggS", 4);
    WriteBytes(dir.File("fake.ogg"), bytes);
    EXPECT_EQ(OpenDecoderStream(dir.File("fake.ogg")), nullptr);
}

TEST(DecoderBadInput, RandomBytesNeverCrash) {
    TempDir dir;
    std::mt19937 random(12345);
    std::vector<char> bytes(200000);
    for (char& byte : bytes) {
        byte = static_cast<char>(random());
    }
    WriteBytes(dir.File("noise.mp3"), bytes);
    ExpectNoCrash(dir.File("noise.mp3"));
}

TEST(DecoderBadInput, TruncatedFilesDecodeWhatIsThere) {
    TempDir dir;
    // Long enough that the kept part holds whole Ogg pages of audio.
    EncodeMp3(dir.File("tone.mp3"), ToneSpec{44100, 2, 3.0});
    EncodeOgg(dir.File("tone.ogg"), ToneSpec{44100, 2, 3.0});
    for (const char* name : {"tone.mp3", "tone.ogg"}) {
        auto bytes = FileBytes(dir.File(name));
        bytes.resize(bytes.size() * 3 / 4);
        const auto cut = dir.File(std::string("cut-") + name);
        WriteBytes(cut, bytes);
        auto stream = OpenDecoderStream(cut);
        ASSERT_NE(stream, nullptr) << name;
        const auto data = ReadAll(*stream);
        EXPECT_GT(data.size(), 0u) << name;
        EXPECT_LE(static_cast<std::int64_t>(data.size()), stream->LengthBytes()) << name;
    }
}

TEST(DecoderBadInput, DamagedMiddleNeverCrashes) {
    TempDir dir;
    EncodeMp3(dir.File("tone.mp3"), ToneSpec{44100, 2, 1.0});
    EncodeOgg(dir.File("tone.ogg"), ToneSpec{44100, 2, 1.0});
    std::mt19937 random(777);
    for (const char* name : {"tone.mp3", "tone.ogg"}) {
        auto bytes = FileBytes(dir.File(name));
        for (std::size_t i = bytes.size() / 3; i < bytes.size() * 2 / 3; i += 7) {
            bytes[i] = static_cast<char>(random());
        }
        const auto damaged = dir.File(std::string("damaged-") + name);
        WriteBytes(damaged, bytes);
        ExpectNoCrash(damaged);
    }
}

} // namespace
} // namespace zent
