#include "decode/Decoder.h"

#include "framework/Errors.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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

bool Warns(const DecoderStream& stream, const std::string& start) {
    for (const CoreText& warning : stream.Warnings()) {
        if (warning.English().rfind(start, 0) == 0) {
            return true;
        }
    }
    return false;
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

struct ChainCase {
    const char* name;
    std::function<void(const std::filesystem::path&)> first;
    std::function<void(const std::filesystem::path&)> second;
};

// A chain whose rate, channel count or codec changes: every link plays, the later ones mixed
// and resampled into the first one's format, and the change is named.
TEST(DecoderFormatChange, EveryLinkOfAChangingChainPlaysInTheFirstFormat) {
    TempDir dir;
    const auto vorbis = [](ToneSpec tone) {
        return [tone](const std::filesystem::path& file) {
            EncodeOgg(file, tone);
        };
    };
    const auto opus = [](ToneSpec tone) {
        return [tone](const std::filesystem::path& file) {
            EncodeOpus(file, tone);
        };
    };
    const std::vector<ChainCase> cases = {
        {"vorbis stereo, vorbis mono 22050", vorbis({44100, 2, 1.5}), vorbis({22050, 1, 1.0})},
        {"vorbis, opus", vorbis({44100, 2, 1.5}), opus({48000, 2, 1.0})},
        {"opus stereo, opus mono", opus({48000, 2, 1.5}), opus({48000, 1, 1.0})},
        {"opus, vorbis 48000", opus({48000, 2, 1.5}), vorbis({48000, 2, 1.0})},
    };
    for (const ChainCase& chain : cases) {
        SCOPED_TRACE(chain.name);
        chain.first(dir.File("first"));
        chain.second(dir.File("second"));
        auto first = OpenDecoderStream(dir.File("first"));
        auto second = OpenDecoderStream(dir.File("second"));
        const auto chainFile = JoinFiles(dir, "chain", dir.File("first"), dir.File("second"));
        auto stream = OpenDecoderStream(chainFile);
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->Channels(), first->Channels());
        EXPECT_EQ(stream->SampleRate(), first->SampleRate());
        const std::int64_t frameBytes = first->Channels() * 2;
        const std::int64_t secondFrames = second->LengthBytes() / (second->Channels() * 2) *
                                          first->SampleRate() / second->SampleRate();
        EXPECT_NEAR(static_cast<double>(stream->LengthBytes()),
                    static_cast<double>(first->LengthBytes() + secondFrames * frameBytes),
                    static_cast<double>(frameBytes));
        const auto data = ReadAll(*stream);
        EXPECT_EQ(static_cast<std::int64_t>(data.size()), stream->LengthBytes());
        // Requests that end within a frame give the same bytes.
        EXPECT_TRUE(ReadAll(*OpenDecoderStream(chainFile), 4097) == data);
        const auto alone = ReadAll(*first);
        ASSERT_GE(data.size(), alone.size());
        EXPECT_TRUE(std::equal(alone.begin(), alone.end(), data.begin()));
        const bool changes =
            second->Channels() != first->Channels() || second->SampleRate() != first->SampleRate();
        EXPECT_EQ(!stream->Warnings().empty(), changes);
        // The second link's first tone where the first link's channel 0 is.
        const std::vector<std::int16_t> rest = ToSamples(std::vector<std::byte>(
            data.begin() + static_cast<std::ptrdiff_t>(alone.size()), data.end()));
        EXPECT_NEAR(DominantFrequency(rest, first->Channels(), 0, first->SampleRate()),
                    ToneFrequency(0), kFrequencyTolerance);
    }
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
        // The cut frame of the splice is lost: its time is silence, where the tool drops it.
        if (file.stem() == "spliced") {
            EXPECT_GT(data.size(), WavData(wav).size()) << file;
            EXPECT_TRUE(Warns(*stream, "data lost or damaged at ")) << file;
        } else {
            EXPECT_TRUE(data == WavData(wav)) << file;
        }
    }
}

// Junk after the last frame is never audio: the file decodes as it does without it. Random
// tails hold false frame headers now and then, of the file's format or of another.
TEST(DecoderBadInput, JunkAfterTheLastMp3FrameIsNeverAudio) {
    TempDir dir;
    EncodeMp3(dir.File("cbr.mp3"), ToneSpec{44100, 2, 1.0});
    EncodeMp3(dir.File("vbr.mp3"), ToneSpec{44100, 2, 0.7}, Mp3Options{true, true, 128});
    EncodeMp3(dir.File("bare.mp3"), ToneSpec{44100, 2, 0.5}, Mp3Options{false, false, 96});
    EncodeMp3(dir.File("mono.mp3"), ToneSpec{22050, 1, 0.5}, Mp3Options{false, false, 32});
    EncodeOgg(dir.File("tail.ogg"), ToneSpec{44100, 2, 3.0});
    std::mt19937 random(2512);
    std::vector<std::vector<char>> tails = {std::vector<char>(8192, 0),
                                            FileBytes(dir.File("tail.ogg"))};
    for (int i = 0; i < 40; ++i) {
        std::vector<char> tail(std::uniform_int_distribution<std::size_t>(512, 4608)(random));
        for (char& byte : tail) {
            byte = static_cast<char>(random());
        }
        tails.push_back(std::move(tail));
    }
    for (const char* source : {"cbr.mp3", "vbr.mp3", "bare.mp3", "mono.mp3"}) {
        const auto whole = ReadAll(*OpenDecoderStream(dir.File(source)));
        for (std::size_t i = 0; i < tails.size(); ++i) {
            auto bytes = FileBytes(dir.File(source));
            bytes.insert(bytes.end(), tails[i].begin(), tails[i].end());
            WriteBytes(dir.File("tailed.mp3"), bytes);
            auto stream = OpenDecoderStream(dir.File("tailed.mp3"));
            ASSERT_NE(stream, nullptr) << source << " tail " << i;
            EXPECT_EQ(stream->LengthBytes(), static_cast<std::int64_t>(whole.size()))
                << source << " tail " << i;
            EXPECT_TRUE(ReadAll(*stream) == whole) << source << " tail " << i;
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

// Full-scale white noise decodes to peaks beyond full scale: bent back below it as libopus's
// own 16-bit output does, not cut flat.
TEST(DecoderOpus, LouderThanFullScaleIsSoftClippedAsTheReferenceDecoder) {
    TempDir dir;
    std::mt19937 random(2060);
    constexpr std::uint32_t kFrames = 48000;
    std::vector<char> wav(44 + kFrames * 4);
    const auto put32 = [&wav](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            wav[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
        }
    };
    std::memcpy(wav.data(), "RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0", 24);
    put32(4, static_cast<std::uint32_t>(wav.size() - 8));
    put32(24, 48000);
    put32(28, 48000 * 4);
    put32(32, 0x00100004); // block align 4, 16 bits
    std::memcpy(wav.data() + 36, "data", 4);
    put32(40, kFrames * 4);
    for (std::size_t i = 44; i < wav.size(); ++i) {
        wav[i] = static_cast<char>(random());
    }
    WriteBytes(dir.File("noise.wav"), wav);
    const auto file = dir.File("loud.opus");
    ASSERT_EQ(std::system(("opusenc --quiet '" + dir.File("noise.wav").string() + "' '" +
                           file.string() + "'")
                              .c_str()),
              0);
    const auto floats = ReadAll(*OpenDecoderStream(file, SampleKind::Float32));
    float peak = 0.0f;
    for (std::size_t i = 0; i + 4 <= floats.size(); i += 4) {
        float value = 0.0f;
        std::memcpy(&value, floats.data() + i, 4);
        peak = std::max(peak, std::abs(value));
    }
    ASSERT_GT(peak, 1.0f);
    const auto ours = ToSamples(ReadAll(*OpenDecoderStream(file)));
    const auto reference =
        ToSamples(ToolWav("opusdec --quiet --no-dither --rate 48000 '" + file.string() + "' '" +
                              dir.File("ref.wav").string() + "'",
                          dir.File("ref.wav")));
    ASSERT_EQ(ours.size(), reference.size());
    int worst = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        worst = std::max(worst, std::abs(ours[i] - reference[i]));
    }
    EXPECT_LE(worst, 2);
    // Floats that are to become integers are bent the same way.
    const auto clipped = OpenDecoderStream(file, SampleKind::Float32);
    clipped->ClipSoftly();
    const auto bent = ReadAll(*clipped);
    ASSERT_EQ(bent.size(), ours.size() * 4);
    long farthest = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        float value = 0.0f;
        std::memcpy(&value, bent.data() + i * 4, 4);
        farthest = std::max(farthest, std::abs(std::lround(value * 32768.0f) - ours[i]));
    }
    EXPECT_LE(farthest, 1);
}

TEST(DecoderOgg, CutFileDecodesWhatIsThereAndSaysItLacksItsEndMark) {
    TempDir dir;
    EncodeOgg(dir.File("a.ogg"), ToneSpec{44100, 2, 20.0});
    EncodeOpus(dir.File("a.opus"), ToneSpec{48000, 2, 3.0});
    EncodeOpus(dir.File("mono.opus"), ToneSpec{48000, 1, 1.0});
    // A link of another channel count is mixed into the first one's.
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
    // A chain whose second link is cut: the first link's end mark, near the file's end, does
    // not hide it, whether the links share a format or not.
    for (const auto& [first, second] :
         {std::pair{"mono.opus", "a.opus"}, std::pair{"a.opus", "a.opus"}}) {
        SCOPED_TRACE(first);
        auto bytes = FileBytes(dir.File(second));
        bytes.resize(bytes.size() * 3 / 4);
        WriteBytes(dir.File("cut-second"), bytes);
        auto cutChain = OpenDecoderStream(
            JoinFiles(dir, "cut-chain.opus", dir.File(first), dir.File("cut-second")));
        ASSERT_NE(cutChain, nullptr);
        EXPECT_TRUE(cutChain->EndsWithoutEndMark());
        EXPECT_TRUE(Warns(*cutChain, CoreText{CoreTextId::NoEndMark}.English()));
    }
    auto chain = OpenDecoderStream(changing);
    ASSERT_NE(chain, nullptr);
    EXPECT_EQ(chain->Channels(), 2);
    EXPECT_EQ(static_cast<std::int64_t>(ReadAll(*chain).size()), 4 * 48000 * 4);
}

// --- Damaged Ogg pages ---

// A last granule position that cannot be true: the pages decode as they are, with a warning.
TEST(DecoderBadInput, AbsurdLastGranulePositionDecodesWhatThePagesHold) {
    TempDir dir;
    EncodeOgg(dir.File("good.ogg"), ToneSpec{44100, 2, 3.0});
    EncodeOpus(dir.File("good.opus"), ToneSpec{48000, 2, 3.0});
    for (const char* name : {"good.ogg", "good.opus"}) {
        const auto whole = ReadAll(*OpenDecoderStream(dir.File(name)));
        const std::int64_t codecFrame = OpenDecoderStream(dir.File(name))->CodecFrameFrames();
        for (const std::int64_t granule :
             {std::numeric_limits<std::int64_t>::max(), std::int64_t{1} << 62, std::int64_t{-5},
              std::int64_t{0}}) {
            SCOPED_TRACE(std::string(name) + " granule " + std::to_string(granule));
            auto bytes = FileBytes(dir.File(name));
            SetOggGranule(bytes, OggPages(bytes).back(), granule);
            WriteBytes(dir.File("absurd"), bytes);
            auto stream = OpenDecoderStream(dir.File("absurd"));
            ASSERT_NE(stream, nullptr);
            const auto data = ReadAll(*stream);
            EXPECT_EQ(static_cast<std::int64_t>(data.size()), stream->LengthBytes());
            EXPECT_TRUE(Warns(*stream, CoreText{CoreTextId::WrongLength}.English()));
            // All but perhaps the last packet, which the last granule trims.
            ASSERT_LE(data.size(), whole.size() + codecFrame * 4);
            EXPECT_GE(data.size() + codecFrame * 4, whole.size());
            const std::size_t common = std::min(data.size(), whole.size()) - codecFrame * 4;
            EXPECT_TRUE(std::equal(data.begin(), data.begin() + common, whole.begin()));
        }
    }
}

// Lost or damaged pages, chosen at random: the time they held is silence, everything after
// them keeps its place, and the stream says where and how long.
TEST(DecoderBadInput, OggFillsALostOrDamagedPageWithSilence) {
    TempDir dir;
    EncodeOgg(dir.File("tone.ogg"), ToneSpec{44100, 2, 20.0});
    EncodeOpus(dir.File("tone.opus"), ToneSpec{48000, 2, 20.0});
    std::mt19937 random(404);
    for (const char* name : {"tone.ogg", "tone.opus"}) {
        const auto original = FileBytes(dir.File(name));
        const auto whole = ReadAll(*OpenDecoderStream(dir.File(name)));
        const auto pages = OggPages(original);
        ASSERT_GT(pages.size(), 10u);
        for (int round = 0; round < 8; ++round) {
            // Not the header pages, nor the last.
            const std::size_t index =
                std::uniform_int_distribution<std::size_t>(3, pages.size() - 2)(random);
            const auto page = pages[index];
            const bool removed = round % 2 == 0;
            SCOPED_TRACE(std::string(name) + (removed ? " without" : " damaged") + " page " +
                         std::to_string(index));
            auto bytes = original;
            if (removed) {
                bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(page.offset),
                            bytes.begin() + static_cast<std::ptrdiff_t>(page.offset + page.size));
            } else {
                for (std::size_t i = page.offset + page.size / 2; i < page.offset + page.size;
                     i += 5) {
                    bytes[i] = static_cast<char>(bytes[i] ^ 0x5a);
                }
            }
            WriteBytes(dir.File("gap"), bytes);
            auto stream = OpenDecoderStream(dir.File("gap"));
            ASSERT_NE(stream, nullptr);
            const auto data = ReadAll(*stream);
            ASSERT_EQ(data.size(), whole.size());
            EXPECT_EQ(static_cast<std::int64_t>(data.size()), stream->LengthBytes());
            EXPECT_TRUE(Warns(*stream, "data lost or damaged at "));
            // From the end of the next page on, the samples of the whole file.
            const auto after = static_cast<std::size_t>(pages[index + 1].granule) * 4;
            if (after < data.size()) {
                EXPECT_TRUE(std::equal(data.begin() + static_cast<std::ptrdiff_t>(after),
                                       data.end(),
                                       whole.begin() + static_cast<std::ptrdiff_t>(after)));
            }
        }
    }
}

// Junk before the first page (a broken download, a wrapper) is skipped.
TEST(DecoderBadInput, OggAfterJunkDecodesAsWithoutIt) {
    TempDir dir;
    EncodeOgg(dir.File("tone.ogg"), ToneSpec{44100, 2, 1.0});
    EncodeOpus(dir.File("tone.opus"), ToneSpec{48000, 1, 1.0});
    std::mt19937 random(3000);
    std::vector<char> junk(3000);
    for (char& byte : junk) {
        byte = static_cast<char>(random());
    }
    for (const char* name : {"tone.ogg", "tone.opus"}) {
        auto bytes = FileBytes(dir.File(name));
        bytes.insert(bytes.begin(), junk.begin(), junk.end());
        WriteBytes(dir.File("junk.mp3"), bytes);
        auto stream = OpenDecoderStream(dir.File("junk.mp3"));
        ASSERT_NE(stream, nullptr) << name;
        EXPECT_TRUE(ReadAll(*stream) == ReadAll(*OpenDecoderStream(dir.File(name)))) << name;
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
    EncodeOpus(dir.File("b.opus"), ToneSpec{48000, 2, 1.0, 330.0});
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
        JoinFiles(dir, "chained.opus", dir.File("a.opus"), dir.File("b.opus")),
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

// MP3 files with and without a header that announces their length, and damage in them.
struct Mp3Damage {
    const char* name;
    Mp3Options options;
};

const std::vector<Mp3Damage> kMp3Damage = {
    {"cbr-info", Mp3Options{false, true, 128}},
    {"cbr-bare", Mp3Options{false, false, 128}},
    {"vbr-info", Mp3Options{true, true, 128}},
};

// Where the first "data lost or damaged at M:SS.s" warning places the gap, in seconds; -1
// without one.
double GapWarnedAt(const DecoderStream& stream) {
    for (const CoreText& warning : stream.Warnings()) {
        int minutes = 0;
        double seconds = 0.0;
        if (std::sscanf(warning.English().c_str(), "data lost or damaged at %d:%lf", &minutes,
                        &seconds) == 2) {
            return minutes * 60.0 + seconds;
        }
    }
    return -1.0;
}

// The largest difference between two decodes over their last second, less the last tenth: 0
// or 1 when the audio there stands at the same time in both.
int TailDifference(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b) {
    constexpr std::size_t kSecond = 44100 * 2;
    const std::size_t end = std::min(a.size(), b.size()) - kSecond / 10;
    int largest = 0;
    for (std::size_t i = end - kSecond * 9 / 10; i < end; ++i) {
        largest = std::max(largest, std::abs(a[i] - b[i]));
    }
    return largest;
}

struct DamageResult {
    std::vector<std::int16_t> samples;
    std::int64_t lengthBytes = 0;
    double warnedAt = -1.0;
};

DamageResult DecodeDamaged(const TempDir& dir, const std::filesystem::path& source, std::size_t at,
                           std::size_t count, std::mt19937* random,
                           const std::vector<char>& tail = {}) {
    auto bytes = FileBytes(source);
    for (std::size_t i = at; i < std::min(at + count, bytes.size()); ++i) {
        bytes[i] = random != nullptr ? static_cast<char>((*random)()) : '\0';
    }
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    WriteBytes(dir.File("damaged.mp3"), bytes);
    auto stream = OpenDecoderStream(dir.File("damaged.mp3"));
    EXPECT_NE(stream, nullptr);
    if (!stream) {
        return {};
    }
    const auto data = ReadAll(*stream);
    EXPECT_EQ(static_cast<std::int64_t>(data.size()), stream->LengthBytes());
    return {ToSamples(data), stream->LengthBytes(), GapWarnedAt(*stream)};
}

// A stretch of damage in the middle, more than libmpg123 searches by default: decoding goes on
// after it, the frames lost become silence of their length at the gap, and a warning says
// where. The audio after the gap keeps its time; a file whose header announces its length
// keeps that length, one without comes within a frame of it.
TEST(DecoderBadInput, Mp3LostFramesKeepTheirTimeAtTheGap) {
    TempDir dir;
    const ToneSpec tone{44100, 2, 6.0};
    std::mt19937 random(2000);
    for (const Mp3Damage& source : kMp3Damage) {
        SCOPED_TRACE(source.name);
        const auto file = dir.File(std::string(source.name) + ".mp3");
        EncodeMp3(file, tone, source.options);
        auto whole = OpenDecoderStream(file);
        ASSERT_NE(whole, nullptr);
        const auto intact = ToSamples(ReadAll(*whole));
        EXPECT_TRUE(whole->Warnings().empty());
        const std::size_t size = FileBytes(file).size();
        for (std::mt19937* bytes : {&random, static_cast<std::mt19937*>(nullptr)}) {
            const DamageResult damaged = DecodeDamaged(dir, file, size / 2, 4000, bytes);
            if (source.options.infoTag) {
                EXPECT_EQ(damaged.lengthBytes, whole->LengthBytes());
            } else {
                EXPECT_NEAR(static_cast<double>(damaged.samples.size()),
                            static_cast<double>(intact.size()), 1152.0 * 2);
            }
            EXPECT_LE(TailDifference(intact, damaged.samples), 2);
            EXPECT_NEAR(damaged.warnedAt, 3.0, 0.3);
        }
        // The frames right after the Info frame: the header's count tells they are missing.
        if (source.options.infoTag) {
            const DamageResult damaged = DecodeDamaged(dir, file, 500, 4000, nullptr);
            EXPECT_EQ(damaged.lengthBytes, whole->LengthBytes());
            EXPECT_LE(TailDifference(intact, damaged.samples), 2);
            EXPECT_NEAR(damaged.warnedAt, 0.0, 0.05);
        }
    }
}

// Damage anywhere, of any length, with or without a junk tail: decoding never fails, the
// length rule holds, and no time goes missing without a warning.
TEST(DecoderBadInput, Mp3RandomDamageNeverLosesTimeUnsaid) {
    TempDir dir;
    const ToneSpec tone{44100, 2, 4.0};
    for (const Mp3Damage& source : kMp3Damage) {
        SCOPED_TRACE(source.name);
        const auto file = dir.File(std::string(source.name) + ".mp3");
        EncodeMp3(file, tone, source.options);
        auto whole = OpenDecoderStream(file);
        ASSERT_NE(whole, nullptr);
        const auto intact = ToSamples(ReadAll(*whole));
        const std::size_t size = FileBytes(file).size();
        for (unsigned seed = 1; seed <= 20; ++seed) {
            SCOPED_TRACE(seed);
            std::mt19937 random(seed);
            const std::size_t at =
                std::uniform_int_distribution<std::size_t>(size / 10, size / 2)(random);
            const std::size_t count =
                std::uniform_int_distribution<std::size_t>(1, size / 5)(random);
            // A junk tail now and then, which is no gap.
            std::vector<char> tail(seed % 3 == 0 ? 3000 : 0);
            for (char& byte : tail) {
                byte = static_cast<char>(random());
            }
            const DamageResult damaged =
                DecodeDamaged(dir, file, at, count, seed % 2 == 0 ? &random : nullptr, tail);
            if (source.options.infoTag) {
                EXPECT_EQ(damaged.lengthBytes, whole->LengthBytes());
            } else {
                EXPECT_NEAR(static_cast<double>(damaged.samples.size()),
                            static_cast<double>(intact.size()), 1152.0 * 2);
            }
            EXPECT_LE(TailDifference(intact, damaged.samples), 2) << damaged.warnedAt;
            // Damage over two frames' bytes takes at least one frame's header with it.
            if (count > 1000) {
                EXPECT_GE(damaged.warnedAt, 0.0);
            }
        }
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
