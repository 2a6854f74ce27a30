#include "decode/Decoder.h"

#include "framework/Errors.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace zent {
namespace {

using test::DominantFrequency;
using test::EncodeMp3;
using test::EncodeOgg;
using test::EncodeOpus;
using test::FrameCount;
using test::Mp3Options;
using test::OggPages;
using test::SetOggGranule;
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
        const std::size_t got = stream.Read(buffer).Bytes;
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

void PrintTo(const Mp3Case& c, std::ostream* out) {
    *out << c.sampleRate << (c.channels == 1 ? " mono" : " stereo") << (c.vbr ? " VBR" : " CBR")
         << (c.infoTag ? " tagged" : " untagged");
}

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
    EXPECT_EQ(stream->Read(buffer).Bytes, buffer.size());
}

TEST(DecoderEnd, ReadAtTheEndGivesNothingAndTheStreamIsInactive) {
    TempDir dir;
    EncodeMp3(dir.File("tone.mp3"), ToneSpec{44100, 2, 0.3});
    auto stream = OpenDecoderStream(dir.File("tone.mp3"));
    ASSERT_NE(stream, nullptr);
    ReadAll(*stream);
    EXPECT_FALSE(stream->IsActive());
    std::vector<std::byte> buffer(1024);
    const ReadResult last = stream->Read(buffer);
    EXPECT_EQ(last.Bytes, 0u);
    EXPECT_EQ(last.Status, ReadStatus::End);
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

TEST(DecoderFormatChange, Mp3KeepsTheFirstFormatWhereTheFormatChanges) {
    TempDir dir;
    const ToneSpec first{44100, 2, 1.0};
    const ToneSpec second{22050, 1, 1.0};
    EncodeMp3(dir.File("a.mp3"), first, Mp3Options{false, false, 128});
    EncodeMp3(dir.File("b.mp3"), second, Mp3Options{false, false, 64});
    auto stream =
        OpenDecoderStream(JoinFiles(dir, "joined.mp3", dir.File("a.mp3"), dir.File("b.mp3")));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->SampleRate(), 44100);
    EXPECT_EQ(stream->Channels(), 2);
    auto data = ReadAll(*stream);
    EXPECT_EQ(static_cast<std::int64_t>(data.size()), stream->LengthBytes());
    // Both parts, the second converted to the first one's rate and channels.
    const std::int64_t frames = static_cast<std::int64_t>(data.size()) / 4;
    EXPECT_GE(frames, FrameCount(first) + FrameCount(second) * 2);
    EXPECT_LT(frames, FrameCount(first) + FrameCount(second) * 2 + 6 * 1152);
    data.resize(static_cast<std::size_t>(FrameCount(first)) * 4);
    ExpectChannelTones(data, 2, 44100);
}

TEST(DecoderFormatChange, TaggedMp3JoinedToItselfPlaysBothParts) {
    TempDir dir;
    const ToneSpec tone{44100, 2, 1.0};
    EncodeMp3(dir.File("a.mp3"), tone);
    auto stream =
        OpenDecoderStream(JoinFiles(dir, "twice.mp3", dir.File("a.mp3"), dir.File("a.mp3")));
    ASSERT_NE(stream, nullptr);
    const auto delivered = static_cast<std::int64_t>(ReadAll(*stream).size());
    EXPECT_EQ(stream->LengthBytes(), delivered);
    EXPECT_GE(delivered, 2 * FrameCount(tone) * 4);
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

// The data of a WAV file written by a command-line tool.
std::vector<std::byte> WavData(const std::filesystem::path& wav) {
    const auto bytes = FileBytes(wav);
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t chunk = text.find("data", 12);
    if (chunk == std::string::npos || chunk + 8 > bytes.size()) {
        return {};
    }
    std::vector<std::byte> data(bytes.size() - chunk - 8);
    std::memcpy(data.data(), bytes.data() + chunk + 8, data.size());
    return data;
}

TEST(DecoderFormatChange, JoinedMp3DecodesAsFarAsTheMpg123ToolAndSays) {
    TempDir dir;
    EncodeMp3(dir.File("cbr.mp3"), ToneSpec{44100, 2, 1.0});
    EncodeMp3(dir.File("vbr.mp3"), ToneSpec{44100, 2, 0.7}, Mp3Options{true, true, 128});
    EncodeMp3(dir.File("bare.mp3"), ToneSpec{44100, 2, 0.5}, Mp3Options{false, false, 96});
    auto spliced = FileBytes(dir.File("cbr.mp3"));
    const auto foreign = FileBytes(dir.File("vbr.mp3"));
    spliced.insert(spliced.begin() + static_cast<std::ptrdiff_t>(spliced.size() / 2),
                   foreign.begin(), foreign.end());
    WriteBytes(dir.File("spliced.mp3"), spliced);
    const std::vector<std::filesystem::path> files = {
        JoinFiles(dir, "cbr-cbr.mp3", dir.File("cbr.mp3"), dir.File("cbr.mp3")),
        JoinFiles(dir, "cbr-vbr.mp3", dir.File("cbr.mp3"), dir.File("vbr.mp3")),
        JoinFiles(dir, "bare-cbr.mp3", dir.File("bare.mp3"), dir.File("cbr.mp3")),
        dir.File("spliced.mp3"),
    };
    for (const auto& file : files) {
        const auto wav = dir.File(file.stem().string() + ".wav");
        ASSERT_EQ(
            std::system(("mpg123 -q -w '" + wav.string() + "' '" + file.string() + "'").c_str()),
            0);
        auto stream = OpenDecoderStream(file);
        ASSERT_NE(stream, nullptr) << file;
        const auto data = ReadAll(*stream);
        EXPECT_EQ(static_cast<std::int64_t>(data.size()), stream->LengthBytes()) << file;
        EXPECT_TRUE(data == WavData(wav)) << file;
    }
}

TEST(DecoderBadInput, Mp3WithDataAfterTheLastFrameDecodesAsTheMpg123Tool) {
    TempDir dir;
    EncodeMp3(dir.File("cbr.mp3"), ToneSpec{44100, 2, 1.0});
    EncodeMp3(dir.File("vbr.mp3"), ToneSpec{44100, 2, 0.7}, Mp3Options{true, true, 128});
    EncodeMp3(dir.File("bare.mp3"), ToneSpec{44100, 2, 0.5}, Mp3Options{false, false, 96});
    EncodeOgg(dir.File("tail.ogg"), ToneSpec{44100, 2, 0.3});
    std::vector<char> random(2048);
    std::uint32_t seed = 12345;
    for (char& byte : random) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<char>(seed >> 24);
    }
    const std::vector<std::pair<const char*, std::vector<char>>> tails = {
        {"zeros1100", std::vector<char>(1100, 0)},
        {"zeros4096", std::vector<char>(4096, 0)},
        {"random2048", random},
        {"ogg", FileBytes(dir.File("tail.ogg"))},
    };
    for (const char* source : {"cbr", "vbr", "bare"}) {
        for (const auto& [tailName, tail] : tails) {
            const std::string name = std::string(source) + "-" + tailName;
            auto bytes = FileBytes(dir.File(std::string(source) + ".mp3"));
            bytes.insert(bytes.end(), tail.begin(), tail.end());
            const auto file = dir.File(name + ".mp3");
            WriteBytes(file, bytes);
            const auto wav = dir.File(name + ".wav");
            ASSERT_EQ(std::system(
                          ("mpg123 -q -w '" + wav.string() + "' '" + file.string() + "'").c_str()),
                      0);
            auto stream = OpenDecoderStream(file);
            ASSERT_NE(stream, nullptr) << name;
            std::vector<std::byte> data;
            EXPECT_NO_THROW(data = ReadAll(*stream)) << name;
            EXPECT_EQ(static_cast<std::int64_t>(data.size()), stream->LengthBytes()) << name;
            EXPECT_TRUE(data == WavData(wav)) << name;
        }
    }
}

// --- Ogg Opus ---

// The WAV data a reference tool writes for file; empty when the tool fails.
std::vector<std::byte> ToolWav(const std::string& command, const std::filesystem::path& wav) {
    if (std::system((command + " 2>/dev/null").c_str()) != 0) {
        return {};
    }
    return WavData(wav);
}

TEST(DecoderOpus, DecodesAt48kHzWithTheReferenceLengthAndSamples) {
    TempDir dir;
    const ToneSpec stereo{48000, 2, 1.3};
    EncodeOpus(dir.File("mono.ogg"), ToneSpec{44100, 1, 1.1});
    EncodeOpus(dir.File("stereo.OPUS"), stereo);
    EncodeOpus(dir.File("surround.opus"), ToneSpec{48000, 6, 1.2});
    // The header's output gain, -6 dB (Q7.8), written into the first page.
    auto gained = FileBytes(dir.File("stereo.OPUS"));
    const auto head = OggPages(gained).front();
    const std::size_t gainAt =
        head.offset + 27 + static_cast<unsigned char>(gained[head.offset + 26]) + 16;
    const auto gain = static_cast<std::uint16_t>(-6 * 256);
    gained[gainAt] = static_cast<char>(gain & 0xff);
    gained[gainAt + 1] = static_cast<char>(gain >> 8);
    SetOggGranule(gained, head, head.granule);
    WriteBytes(dir.File("gain.opus"), gained);
    EncodeOpus(dir.File("other.opus"), stereo);
    const auto chain =
        JoinFiles(dir, "chain.opus", dir.File("stereo.OPUS"), dir.File("other.opus"));
    // ffmpeg carries its decoder's state into the next link, where the library starts afresh:
    // the first 20 ms of a later link differ.
    const std::int64_t linkStart = FrameCount(stereo);
    const std::vector<std::pair<const char*, std::int64_t>> cases = {{"mono.ogg", -1},
                                                                     {"stereo.OPUS", -1},
                                                                     {"surround.opus", -1},
                                                                     {"gain.opus", -1},
                                                                     {"chain.opus", linkStart}};
    for (const auto& [name, linkAt] : cases) {
        SCOPED_TRACE(name);
        const auto file = dir.File(name);
        auto stream = OpenDecoderStream(file);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->SampleRate(), 48000);
        EXPECT_FALSE(stream->EndsWithoutEndMark());
        const auto data = ReadAll(*stream);
        EXPECT_EQ(static_cast<std::int64_t>(data.size()), stream->LengthBytes());
        const auto reference = ToolWav("opusdec --quiet --rate 48000 '" + file.string() + "' '" +
                                           dir.File("ref.wav").string() + "'",
                                       dir.File("ref.wav"));
        EXPECT_EQ(data.size(), reference.size());
        const auto other =
            ToSamples(ToolWav("ffmpeg -v quiet -y -i '" + file.string() + "' -ar 48000 '" +
                                  dir.File("ff.wav").string() + "'",
                              dir.File("ff.wav")));
        const auto ours = ToSamples(data);
        ASSERT_EQ(ours.size(), other.size());
        int worst = 0;
        const auto channels = static_cast<std::size_t>(stream->Channels());
        for (std::size_t i = 0; i < ours.size(); ++i) {
            const auto frame = static_cast<std::int64_t>(i / channels);
            if (linkAt < 0 || frame < linkAt || frame >= linkAt + 960) {
                worst = std::max(worst, std::abs(ours[i] - other[i]));
            }
        }
        // Both round float samples without dither.
        EXPECT_LE(worst, 2);
        if (std::string(name) == "gain.opus") {
            const auto loud = ToSamples(ReadAll(*OpenDecoderStream(dir.File("stereo.OPUS"))));
            const auto peak = [](const std::vector<std::int16_t>& samples) {
                int most = 0;
                for (const std::int16_t sample : samples)
                    most = std::max(most, std::abs(static_cast<int>(sample)));
                return most;
            };
            EXPECT_NEAR(peak(ours), peak(loud) / 2, peak(loud) / 20);
        }
        ExpectChannelTones(data, stream->Channels(), 48000);
    }
}

TEST(DecoderOgg, CutFileDecodesWhatIsThereAndSaysItLacksItsEndMark) {
    TempDir dir;
    EncodeOgg(dir.File("a.ogg"), ToneSpec{44100, 2, 20.0});
    EncodeOpus(dir.File("a.opus"), ToneSpec{48000, 2, 3.0});
    EncodeOpus(dir.File("mono.opus"), ToneSpec{48000, 1, 1.0});
    // A link of another channel count ends the stream, as a Vorbis link of another format.
    const auto changing =
        JoinFiles(dir, "changing.opus", dir.File("a.opus"), dir.File("mono.opus"));
    for (const char* name : {"a.ogg", "a.opus"}) {
        SCOPED_TRACE(name);
        auto whole = OpenDecoderStream(dir.File(name));
        ASSERT_NE(whole, nullptr);
        EXPECT_FALSE(whole->EndsWithoutEndMark());
        auto bytes = FileBytes(dir.File(name));
        bytes.resize(bytes.size() * 3 / 4);
        WriteBytes(dir.File("cut"), bytes);
        auto cut = OpenDecoderStream(dir.File("cut"));
        ASSERT_NE(cut, nullptr);
        EXPECT_TRUE(cut->EndsWithoutEndMark());
        const auto data = ReadAll(*cut);
        EXPECT_EQ(static_cast<std::int64_t>(data.size()), cut->LengthBytes());
        EXPECT_GT(cut->LengthBytes(), whole->LengthBytes() / 2);
        EXPECT_LT(cut->LengthBytes(), whole->LengthBytes());
    }
    auto chain = OpenDecoderStream(changing);
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->Channels(), 2);
    EXPECT_EQ(static_cast<std::int64_t>(ReadAll(*chain).size()), 3 * 48000 * 4);
}

TEST(DecoderOgg, ALinkInAnotherCodecEndsTheStream) {
    TempDir dir;
    EncodeOgg(dir.File("a.ogg"), ToneSpec{48000, 2, 1.0});
    EncodeOpus(dir.File("a.opus"), ToneSpec{48000, 2, 1.0});
    for (const auto& [first, second] :
         {std::pair{"a.ogg", "a.opus"}, std::pair{"a.opus", "a.ogg"}}) {
        SCOPED_TRACE(first);
        const auto chain = JoinFiles(dir, "chain", dir.File(first), dir.File(second));
        auto alone = OpenDecoderStream(dir.File(first));
        auto stream = OpenDecoderStream(chain);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->LengthBytes(), alone->LengthBytes());
        EXPECT_TRUE(ReadAll(*stream) == ReadAll(*alone));
        std::filesystem::remove(chain);
    }
}

// --- Damaged Ogg pages ---

TEST(DecoderBadInput, AbsurdGranulePositionGivesNoStreamOrATrueLength) {
    TempDir dir;
    // Three seconds: more than one page of audio, so that the first granule is a true one.
    EncodeOgg(dir.File("good.ogg"), ToneSpec{44100, 2, 3.0});
    for (const std::int64_t granule :
         {std::numeric_limits<std::int64_t>::max(), std::int64_t{1} << 62, std::int64_t{1} << 40}) {
        auto bytes = FileBytes(dir.File("good.ogg"));
        SetOggGranule(bytes, OggPages(bytes).back(), granule);
        WriteBytes(dir.File("absurd.ogg"), bytes);
        // Alone, after a good link, and twice: a sum of two must not overflow either.
        const std::vector<std::filesystem::path> files = {
            dir.File("absurd.ogg"),
            JoinFiles(dir, "good-absurd.ogg", dir.File("good.ogg"), dir.File("absurd.ogg")),
            JoinFiles(dir, "absurd-absurd.ogg", dir.File("absurd.ogg"), dir.File("absurd.ogg")),
        };
        for (const auto& file : files) {
            auto stream = OpenDecoderStream(file);
            if (stream) {
                EXPECT_EQ(static_cast<std::int64_t>(ReadAll(*stream).size()), stream->LengthBytes())
                    << file << " granule " << granule;
            }
        }
    }
}

TEST(DecoderBadInput, OggSkipsALostOrDamagedPageAndDecodesTheRest) {
    TempDir dir;
    const ToneSpec tone{44100, 2, 20.0};
    EncodeOgg(dir.File("tone.ogg"), tone);
    const auto original = FileBytes(dir.File("tone.ogg"));
    const auto pages = OggPages(original);
    ASSERT_GT(pages.size(), 10u);
    const auto middle = pages[pages.size() / 2];
    for (const bool removed : {false, true}) {
        auto bytes = original;
        if (removed) {
            bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(middle.offset),
                        bytes.begin() + static_cast<std::ptrdiff_t>(middle.offset + middle.size));
        } else {
            for (std::size_t i = middle.offset + middle.size / 2; i < middle.offset + middle.size;
                 i += 5) {
                bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
            }
        }
        WriteBytes(dir.File("gap.ogg"), bytes);
        auto stream = OpenDecoderStream(dir.File("gap.ogg"));
        ASSERT_NE(stream, nullptr) << "removed " << removed;
        const auto frames = static_cast<std::int64_t>(ReadAll(*stream).size()) / 4;
        EXPECT_GT(frames, FrameCount(tone) * 9 / 10) << "removed " << removed;
        EXPECT_LT(frames, FrameCount(tone)) << "removed " << removed;
    }
}

// --- Exact seeking ---

// Where the first MPEG-1 layer III frame header at or after offset begins.
std::size_t FindFrameAfter(const std::vector<char>& bytes, std::size_t offset) {
    for (std::size_t at = offset; at + 1 < bytes.size(); ++at) {
        if (static_cast<unsigned char>(bytes[at]) == 0xff &&
            (static_cast<unsigned char>(bytes[at + 1]) & 0xfe) == 0xfa) {
            return at;
        }
    }
    return bytes.size();
}

TEST(DecoderSeeking, Mp3SeekAfterDecodingDamagedFramesGivesTheSamplesOfAFreshStream) {
    TempDir dir;
    EncodeMp3(dir.File("a.mp3"), ToneSpec{44100, 2, 3.0});
    auto bytes = FileBytes(dir.File("a.mp3"));
    // Frames whose audio data is garbled, their headers intact.
    for (std::size_t at = FindFrameAfter(bytes, bytes.size() / 3); at < bytes.size() * 2 / 3;
         at = FindFrameAfter(bytes, at + 400)) {
        for (std::size_t i = at + 4; i < at + 120 && i < bytes.size(); i += 3) {
            bytes[i] = static_cast<char>(bytes[i] ^ 0x6b);
        }
    }
    WriteBytes(dir.File("damaged.mp3"), bytes);
    auto fresh = OpenDecoderStream(dir.File("damaged.mp3"));
    auto used = OpenDecoderStream(dir.File("damaged.mp3"));
    ASSERT_NE(fresh, nullptr);
    ASSERT_NE(used, nullptr);
    ASSERT_TRUE(fresh->CanSeekExactly());
    ASSERT_TRUE(used->CanSeekExactly());
    // Decoding stops amid the damaged frames, as a slice's stream does at its end.
    std::vector<std::byte> part(200000);
    used->Read(part);
    for (std::int64_t frame = 40000; frame < 100000; frame += 4000) {
        fresh->SeekToFrame(frame);
        used->SeekToFrame(frame);
        EXPECT_TRUE(ReadAll(*fresh, 4096) == ReadAll(*used, 4096)) << frame;
    }
}

struct SeekLayout {
    std::string name;
    std::function<void(const std::filesystem::path&)> make;
    std::vector<std::int64_t> boundaries; // codec frame, page or link boundaries
};

std::vector<std::int64_t> PageEnds(const std::filesystem::path& file) {
    std::vector<std::int64_t> ends;
    for (const auto& page : OggPages(FileBytes(file))) {
        if (page.granule > 0) {
            ends.push_back(page.granule);
        }
    }
    return ends;
}

TEST(DecoderSeeking, DecodingAfterASeekGivesTheSamplesOfALinearDecode) {
    TempDir dir;
    std::vector<SeekLayout> layouts;
    // Stereo MPEG-1 only: see the refusals below.
    for (const ToneSpec& tone : {ToneSpec{44100, 2, 3.0}, ToneSpec{48000, 2, 3.0}}) {
        for (const bool vbr : {false, true}) {
            for (const bool tag : {false, true}) {
                layouts.push_back({"mp3 " + std::to_string(tone.sampleRate) +
                                       (vbr ? " vbr" : " cbr") + (tag ? " tagged" : ""),
                                   [=](const std::filesystem::path& file) {
                                       EncodeMp3(file, tone, Mp3Options{vbr, tag, 128});
                                   },
                                   {}});
            }
        }
    }
    for (const int channels : {1, 2, 6}) {
        layouts.push_back({"ogg " + std::to_string(channels),
                           [=](const std::filesystem::path& file) {
                               EncodeOgg(file, ToneSpec{44100, channels, 1.5});
                           },
                           {}});
    }
    const ToneSpec link{44100, 2, 1.5};
    layouts.push_back({"ogg chain",
                       [&](const std::filesystem::path& file) {
                           EncodeOgg(dir.File("first.ogg"), link);
                           EncodeOgg(dir.File("second.ogg"), link);
                           JoinFiles(dir, "chain.ogg", dir.File("first.ogg"),
                                     dir.File("second.ogg"));
                           std::filesystem::copy_file(dir.File("chain.ogg"), file);
                       },
                       {FrameCount(link)}});

    for (auto& layout : layouts) {
        const auto file = dir.File("seek-" + std::to_string(&layout - layouts.data()));
        layout.make(file);
        auto linear = OpenDecoderStream(file);
        auto stream = OpenDecoderStream(file);
        ASSERT_NE(stream, nullptr) << layout.name;
        const auto reference = ReadAll(*linear);
        const auto frameBytes = static_cast<std::size_t>(stream->Channels() * 2);
        const auto length = static_cast<std::int64_t>(reference.size() / frameBytes);
        ASSERT_TRUE(stream->CanSeekExactly()) << layout.name;
        std::vector<std::int64_t> positions = {0, 1, length / 2, length - 1, length};
        auto boundaries = layout.boundaries;
        const std::int64_t codecFrame = stream->CodecFrameFrames();
        for (const std::int64_t frame : {1, 2, 7, 40}) {
            boundaries.push_back(frame * codecFrame);
        }
        const auto pageEnds = PageEnds(file);
        boundaries.insert(boundaries.end(), pageEnds.begin(), pageEnds.end());
        for (const std::int64_t boundary : boundaries) {
            for (const std::int64_t near : {boundary - 1, boundary, boundary + 1}) {
                if (near > 0 && near < length) {
                    positions.push_back(near);
                }
            }
        }
        for (const std::int64_t position : positions) {
            // From any state: part of a frame still held back, or at the end.
            std::vector<std::byte> few(frameBytes + 1);
            stream->Read(few);
            stream->SeekToFrame(position);
            const auto got = ReadAll(*stream, 4097);
            const bool same =
                std::equal(got.begin(), got.end(),
                           reference.begin() + static_cast<std::ptrdiff_t>(
                                                   static_cast<std::size_t>(position) * frameBytes),
                           reference.end());
            EXPECT_TRUE(same) << layout.name << " at frame " << position << " of " << length << ": "
                              << got.size() / frameBytes << " frames decoded";
        }
    }
}

TEST(DecoderSeeking, StreamsThatCannotBeTrustedRefuseExactSeeking) {
    TempDir dir;
    EncodeMp3(dir.File("a.mp3"), ToneSpec{44100, 2, 1.0});
    EncodeMp3(dir.File("mono.mp3"), ToneSpec{22050, 1, 1.0}, Mp3Options{false, false, 64});
    EncodeMp3(dir.File("vbr.mp3"), ToneSpec{22050, 1, 1.0}, Mp3Options{true, true, 64});
    EncodeMp3(dir.File("mpeg1-mono.mp3"), ToneSpec{44100, 1, 1.0});
    EncodeOgg(dir.File("a.ogg"), ToneSpec{44100, 2, 3.0});
    EncodeOgg(dir.File("mono.ogg"), ToneSpec{22050, 1, 1.0});
    auto bytes = FileBytes(dir.File("a.ogg"));
    const auto pages = OggPages(bytes);
    ASSERT_GT(pages.size(), 4u);
    const auto page = pages[pages.size() / 2];
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(page.offset),
                bytes.begin() + static_cast<std::ptrdiff_t>(page.offset + page.size));
    WriteBytes(dir.File("hole.ogg"), bytes);
    // Every page in its place, but one granule a sample further than its packets reach.
    bytes = FileBytes(dir.File("a.ogg"));
    SetOggGranule(bytes, page, page.granule + 1);
    WriteBytes(dir.File("granule.ogg"), bytes);
    // And one a sample short of them: only the last page may end within its last packet.
    bytes = FileBytes(dir.File("a.ogg"));
    SetOggGranule(bytes, page, page.granule - 1);
    WriteBytes(dir.File("granule-1.ogg"), bytes);
    // Junk between two frames that decoding resynchronises over.
    bytes = FileBytes(dir.File("a.mp3"));
    const auto frame = FindFrameAfter(bytes, bytes.size() / 2);
    bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(frame), 300, '\x55');
    WriteBytes(dir.File("junk-between.mp3"), bytes);
    EncodeOpus(dir.File("a.opus"), ToneSpec{48000, 2, 1.0});
    const std::vector<std::filesystem::path> files = {
        JoinFiles(dir, "joined.mp3", dir.File("a.mp3"), dir.File("a.mp3")),
        JoinFiles(dir, "changing.mp3", dir.File("a.mp3"), dir.File("mono.mp3")),
        dir.File("mono.mp3"),
        dir.File("vbr.mp3"),
        dir.File("mpeg1-mono.mp3"),
        dir.File("hole.ogg"),
        dir.File("granule.ogg"),
        dir.File("granule-1.ogg"),
        dir.File("junk-between.mp3"),
        dir.File("a.opus"),
        JoinFiles(dir, "changing.ogg", dir.File("a.ogg"), dir.File("mono.ogg")),
    };
    for (const auto& file : files) {
        auto stream = OpenDecoderStream(file);
        ASSERT_NE(stream, nullptr) << file;
        EXPECT_FALSE(stream->CanSeekExactly()) << file;
        EXPECT_THROW(stream->SeekToFrame(0), EDecoderError) << file;
    }
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
