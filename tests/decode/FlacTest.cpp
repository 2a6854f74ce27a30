#include "decode/Decoder.h"
#include "decode/FlacStream.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace zent {
namespace {

using test::EncodeFlac;
using test::FlacParams;
using test::FlacToolChunk;
using test::TempDir;
using test::ToneSpec;

std::vector<std::byte> ReadAll(DecoderStream& stream, std::size_t requestBytes = 65536) {
    std::vector<std::byte> data;
    std::vector<std::byte> buffer(requestBytes);
    while (stream.IsActive()) {
        const std::size_t got = stream.Read(buffer).Bytes;
        data.insert(data.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
    }
    return data;
}

std::vector<char> FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<char>& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
}

FlacParams Params(ToneSpec tone, int bits = 16, bool ogg = false, bool seekTable = true,
                  unsigned blockSize = 4096) {
    FlacParams params;
    params.tone = tone;
    params.bits = bits;
    params.ogg = ogg;
    params.seekTable = seekTable;
    params.blockSize = blockSize;
    return params;
}

struct DepthCase {
    const char* name;
    int bits;
    int channels;
    int rate;
    bool ogg;
    int containerBits;
};

void PrintTo(const DepthCase& c, std::ostream* out) {
    *out << c.name;
}

class FlacDepthTest : public ::testing::TestWithParam<DepthCase> {};

TEST_P(FlacDepthTest, SourceSamplesAreTheReferenceDecodersBytes) {
    const DepthCase& c = GetParam();
    TempDir dir;
    const auto path = dir.Path() / (std::string(c.name) + (c.ogg ? ".oga" : ".flac"));
    EncodeFlac(path, Params(ToneSpec{c.rate, c.channels, 1.5}, c.bits, c.ogg));
    const auto stream = OpenDecoderStream(path, SampleKind::Source);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->BitsPerSample(), c.containerBits);
    EXPECT_EQ(stream->ValidBits(), c.bits);
    EXPECT_EQ(stream->SourceBits(), c.bits);
    EXPECT_EQ(stream->Channels(), c.channels);
    EXPECT_EQ(stream->SampleRate(), c.rate);
    const std::vector<std::byte> reference = FlacToolChunk(path, "data");
    EXPECT_EQ(stream->LengthBytes(), std::ssize(reference));
    // An odd request size splits frames between reads.
    EXPECT_TRUE(ReadAll(*stream, 1001) == reference);
    EXPECT_TRUE(stream->Warnings().empty()) << JoinedEnglish(stream->Warnings());
}

INSTANTIATE_TEST_SUITE_P(Depths, FlacDepthTest,
                         ::testing::Values(DepthCase{"s16stereo", 16, 2, 44100, false, 16},
                                           DepthCase{"s24surround", 24, 6, 48000, false, 24},
                                           DepthCase{"u8mono", 8, 1, 22050, false, 8},
                                           DepthCase{"s12stereo", 12, 2, 32000, false, 16},
                                           DepthCase{"s20stereo", 20, 2, 96000, false, 24},
                                           DepthCase{"s4mono", 4, 1, 8000, false, 8},
                                           DepthCase{"s32stereo", 32, 2, 44100, false, 32},
                                           DepthCase{"s24eight", 24, 8, 48000, false, 24},
                                           DepthCase{"oggs16", 16, 2, 44100, true, 16},
                                           DepthCase{"oggs24", 24, 3, 48000, true, 24}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(FlacTest, SixteenBitAndFloatKindsOfADeeperSource) {
    TempDir dir;
    const auto path = dir.Path() / "deep.flac";
    const std::vector<std::int32_t> source = EncodeFlac(path, Params(ToneSpec{48000, 2, 0.5}, 24));
    const auto int16 = OpenDecoderStream(path, SampleKind::Int16);
    const auto float32 = OpenDecoderStream(path, SampleKind::Float32);
    ASSERT_TRUE(int16 && float32);
    const std::vector<std::byte> shorts = ReadAll(*int16);
    const std::vector<std::byte> floats = ReadAll(*float32);
    EXPECT_TRUE(int16->Warnings().empty()) << JoinedEnglish(int16->Warnings());
    ASSERT_EQ(shorts.size(), source.size() * 2);
    ASSERT_EQ(floats.size(), source.size() * 4);
    for (std::size_t i = 0; i < source.size(); ++i) {
        std::int16_t s = 0;
        float f = 0;
        std::memcpy(&s, shorts.data() + 2 * i, 2);
        std::memcpy(&f, floats.data() + 4 * i, 4);
        ASSERT_EQ(s, std::lrint(std::ldexp(static_cast<double>(source[i]), -8))) << i;
        ASSERT_EQ(f, static_cast<float>(std::ldexp(static_cast<double>(source[i]), -23))) << i;
    }
}

struct SeekCase {
    const char* name;
    bool ogg;
    bool seekTable;
};

void PrintTo(const SeekCase& c, std::ostream* out) {
    *out << c.name;
}

class FlacSeekTest : public ::testing::TestWithParam<SeekCase> {};

TEST_P(FlacSeekTest, SeekGivesTheSamplesOfADecodeFromTheStart) {
    TempDir dir;
    const auto path = dir.Path() / "seek.flac";
    EncodeFlac(path, Params(ToneSpec{44100, 2, 6.0}, 16, GetParam().ogg, GetParam().seekTable));
    const auto whole = OpenDecoderStream(path, SampleKind::Source);
    ASSERT_TRUE(whole);
    const std::vector<std::byte> all = ReadAll(*whole);
    for (const std::int64_t frame :
         {std::int64_t{1}, std::int64_t{4095}, std::int64_t{100000}, std::int64_t{264599}}) {
        const auto stream = OpenDecoderStream(path, SampleKind::Source);
        ASSERT_TRUE(stream->CanSeekExactly());
        stream->SeekToFrame(frame);
        const std::vector<std::byte> rest = ReadAll(*stream, 4000);
        ASSERT_TRUE(std::equal(rest.begin(), rest.end(), all.begin() + frame * 4, all.end()))
            << frame;
        EXPECT_EQ(std::ssize(rest), std::ssize(all) - frame * 4);
        EXPECT_TRUE(stream->Warnings().empty()) << JoinedEnglish(stream->Warnings());
    }
}

INSTANTIATE_TEST_SUITE_P(Files, FlacSeekTest,
                         ::testing::Values(SeekCase{"seektable", false, true},
                                           SeekCase{"binarysearch", false, false},
                                           SeekCase{"ogg", true, false}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(FlacTest, AFlippedByteInTheAudioKeepsTheLengthAndWarns) {
    TempDir dir;
    const auto path = dir.Path() / "flipped.flac";
    EncodeFlac(path, Params(ToneSpec{44100, 2, 3.0}, 16));
    const std::vector<std::byte> reference = FlacToolChunk(path, "data");
    std::vector<char> bytes = FileBytes(path);
    const std::size_t audio = test::FirstFlacFrameOffset(bytes);
    bytes[audio + (bytes.size() - audio) / 2] ^= 0x10;
    WriteFileBytes(path, bytes);
    const auto stream = OpenDecoderStream(path, SampleKind::Source);
    ASSERT_TRUE(stream);
    const std::vector<std::byte> data = ReadAll(*stream);
    ASSERT_EQ(data.size(), reference.size());
    const std::string warnings = JoinedEnglish(stream->Warnings());
    EXPECT_NE(warnings.find("replaced by silence"), std::string::npos) << warnings;
    EXPECT_NE(warnings.find(CoreText{CoreTextId::ChecksumMismatch}.English()), std::string::npos)
        << warnings;
    // Only the damaged frame differs, and it is silent; a damaged frame may hide the next
    // one's start from the decoder.
    std::size_t first = 0;
    while (first < data.size() && data[first] == reference[first])
        ++first;
    std::size_t last = data.size();
    while (last > first && data[last - 1] == reference[last - 1])
        --last;
    EXPECT_LE(last - first, 2 * 4096u * 4) << warnings;
    for (std::size_t i = first; i < last; ++i)
        ASSERT_EQ(data[i], std::byte{0}) << i;
}

TEST(FlacTest, AChecksumThatDoesNotMatchIsWarnedOfOnlyForADecodeFromTheStart) {
    TempDir dir;
    const auto path = dir.Path() / "sum.flac";
    EncodeFlac(path, Params(ToneSpec{44100, 2, 6.0}, 16));
    std::vector<char> bytes = FileBytes(path);
    // STREAMINFO's last byte is the MD5's last.
    bytes[8 + 33] ^= 0x01;
    WriteFileBytes(path, bytes);
    const auto whole = OpenDecoderStream(path, SampleKind::Source);
    // The trial seek of a slice plan leaves the check on.
    ASSERT_TRUE(whole->CanSeekExactly());
    ReadAll(*whole);
    EXPECT_EQ(whole->Warnings(), std::vector{CoreText{CoreTextId::ChecksumMismatch}});
    const auto sliced = OpenDecoderStream(path, SampleKind::Source);
    sliced->SeekToFrame(1000);
    ReadAll(*sliced);
    EXPECT_TRUE(sliced->Warnings().empty());
    // A caller that checks the data itself gets the same data, unchecked.
    const auto first = OpenDecoderStream(path, SampleKind::Source);
    EXPECT_TRUE(first->ChecksWholeReads());
    first->LeaveCheckToCaller();
    EXPECT_FALSE(first->ChecksWholeReads());
    const auto reference = OpenDecoderStream(path, SampleKind::Source);
    EXPECT_TRUE(ReadAll(*first, 3000) == ReadAll(*reference));
    EXPECT_TRUE(first->Warnings().empty());
}

TEST(FlacTest, TheDataCheckReadsTheSlicesBackInOrder) {
    TempDir dir;
    for (const int bits : {8, 12, 16, 24}) {
        const auto path = dir.Path() / ("check" + std::to_string(bits) + ".flac");
        EncodeFlac(path, Params(ToneSpec{44100, 2, 1.0}, bits));
        const auto stream = OpenDecoderStream(path, SampleKind::Source);
        const std::unique_ptr<DataCheck> check = stream->NewDataCheck();
        ASSERT_TRUE(check);
        std::vector<std::byte> data = ReadAll(*stream);
        // In uneven pieces, as the file is read back.
        std::span<const std::byte> rest(data);
        for (std::size_t piece = 1; !rest.empty(); piece = piece * 3 + 1) {
            const std::size_t take = std::min(piece, rest.size());
            check->Add(rest.first(take));
            rest = rest.subspan(take);
        }
        EXPECT_EQ(check->Finish(), std::nullopt) << bits;
        const std::unique_ptr<DataCheck> damaged = stream->NewDataCheck();
        data[data.size() / 2] ^= std::byte{0x80};
        damaged->Add(data);
        EXPECT_EQ(damaged->Finish(), CoreText{CoreTextId::ChecksumMismatch}) << bits;
    }
}

TEST(FlacTest, VorbisCommentsAreItsTags) {
    TempDir dir;
    const auto path = dir.Path() / "tags.flac";
    FlacParams params = Params(ToneSpec{44100, 1, 0.5});
    params.comments = {"TITLE=Song", "artist=Band", "TRACKNUMBER=3", "DATE=2001"};
    EncodeFlac(path, params);
    const auto stream = OpenDecoderStream(path);
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->Tags().Title, "Song");
    EXPECT_EQ(stream->Tags().Artist, "Band");
    EXPECT_EQ(stream->Tags().Track, "3");
    EXPECT_EQ(stream->Tags().Date, "2001");
}

TEST(FlacTest, TheSpeakerMaskIsFlacsOwnOrTheOneItsCommentsName) {
    TempDir dir;
    const auto plain = dir.Path() / "plain.flac";
    const auto named = dir.Path() / "named.flac";
    EncodeFlac(plain, Params(ToneSpec{48000, 6, 0.2}, 24));
    FlacParams params = Params(ToneSpec{48000, 6, 0.2}, 24);
    params.comments = {"WAVEFORMATEXTENSIBLE_CHANNEL_MASK=0x003F"};
    EncodeFlac(named, params);
    EXPECT_EQ(OpenDecoderStream(plain)->ChannelMask(), 0x60Fu);
    EXPECT_EQ(OpenDecoderStream(named)->ChannelMask(), 0x3Fu);
    EXPECT_TRUE(FlacToolChunk(named, "fmt ")[20] == std::byte{0x3F});
}

TEST(FlacTest, ANameOfAnotherKindDoesNotMatter) {
    TempDir dir;
    const auto native = dir.Path() / "native.mp3";
    const auto ogg = dir.Path() / "inogg.ogg";
    EncodeFlac(native, Params(ToneSpec{44100, 2, 0.5}, 24));
    EncodeFlac(ogg, Params(ToneSpec{44100, 2, 0.5}, 24, true));
    for (const auto& path : {native, ogg}) {
        const auto stream = OpenDecoderStreamOrThrow(path, SampleKind::Source);
        EXPECT_EQ(stream->BitsPerSample(), 24) << path;
        EXPECT_EQ(stream->LengthBytes(), 22050 * 2 * 3) << path;
    }
}

// An ID3v2.3 tag of Latin-1 text frames.
std::vector<char> Id3Tag(const std::vector<std::pair<std::string, std::string>>& frames) {
    std::vector<char> body;
    for (const auto& [id, text] : frames) {
        const auto size = static_cast<std::uint32_t>(text.size() + 1);
        body.insert(body.end(), id.begin(), id.end());
        for (const int shift : {24, 16, 8, 0})
            body.push_back(static_cast<char>((size >> shift) & 0xFF));
        body.insert(body.end(), {0, 0, 0});
        body.insert(body.end(), text.begin(), text.end());
    }
    const auto size = static_cast<std::uint32_t>(body.size());
    std::vector<char> tag = {'I', 'D', '3', 3, 0, 0};
    for (const int shift : {21, 14, 7, 0})
        tag.push_back(static_cast<char>((size >> shift) & 0x7F));
    tag.insert(tag.end(), body.begin(), body.end());
    return tag;
}

TEST(FlacTest, IdThreeTagsInFrontAreSkippedAndFillWhatTheCommentsLack) {
    TempDir dir;
    const auto plain = dir.Path() / "plain.flac";
    FlacParams params = Params(ToneSpec{44100, 2, 6.0});
    params.comments = {"TITLE=Own title"};
    EncodeFlac(plain, params);
    const std::vector<char> flac = FileBytes(plain);
    const std::vector<char> first = Id3Tag({{"TIT2", "Tagger's title"}, {"TALB", "Album"}});
    const std::vector<char> second = Id3Tag({{"TPE1", "Artist"}});
    struct Case {
        const char* Name;
        std::vector<std::vector<char>> Tags;
        const char* Artist;
    };
    for (const Case& c : {Case{"one", {first}, ""}, Case{"two", {first, second}, "Artist"}}) {
        SCOPED_TRACE(c.Name);
        const auto path = dir.Path() / (std::string(c.Name) + ".flac");
        std::vector<char> bytes;
        for (const std::vector<char>& tag : c.Tags)
            bytes.insert(bytes.end(), tag.begin(), tag.end());
        bytes.insert(bytes.end(), flac.begin(), flac.end());
        WriteFileBytes(path, bytes);
        const auto stream = OpenDecoderStreamOrThrow(path, SampleKind::Source);
        EXPECT_EQ(stream->Tags().Title, "Own title");
        EXPECT_EQ(stream->Tags().Album, "Album");
        EXPECT_EQ(stream->Tags().Artist, c.Artist);
        ASSERT_TRUE(stream->CanSeekExactly());
        const std::vector<std::byte> all = ReadAll(*stream);
        // flac -d reads one tag; libFLAC alone refuses a second.
        EXPECT_TRUE(all == FlacToolChunk(c.Tags.size() == 1 ? path : plain, "data"));
        EXPECT_TRUE(stream->Warnings().empty()) << JoinedEnglish(stream->Warnings());
        const auto seeking = OpenDecoderStream(path, SampleKind::Source);
        seeking->SeekToFrame(100000);
        const std::vector<std::byte> rest = ReadAll(*seeking);
        EXPECT_TRUE(std::equal(rest.begin(), rest.end(), all.begin() + 100000 * 4, all.end()));
    }
}

TEST(FlacTest, SeededRandomIdThreeTagsInFrontAreSkipped) {
    TempDir dir;
    const auto plain = dir.Path() / "plain.flac";
    EncodeFlac(plain, Params(ToneSpec{22050, 1, 0.5}));
    const std::vector<char> flac = FileBytes(plain);
    const std::vector<std::byte> reference = ReadAll(*OpenDecoderStream(plain, SampleKind::Source));
    std::mt19937 random(2612);
    for (int round = 0; round < 24; ++round) {
        std::vector<char> bytes;
        const int tags = 1 + static_cast<int>(random() % 4);
        for (int t = 0; t < tags; ++t) {
            // Any body: frames, padding or junk, of any size the header states.
            std::vector<char> body(random() % 3000);
            for (char& b : body)
                b = static_cast<char>(random());
            const auto size = static_cast<std::uint32_t>(body.size());
            bytes.insert(bytes.end(), {'I', 'D', '3', static_cast<char>(2 + random() % 2), 0, 0});
            for (const int shift : {21, 14, 7, 0})
                bytes.push_back(static_cast<char>((size >> shift) & 0x7F));
            bytes.insert(bytes.end(), body.begin(), body.end());
        }
        bytes.insert(bytes.end(), flac.begin(), flac.end());
        const auto path = dir.Path() / "random.flac";
        WriteFileBytes(path, bytes);
        const auto stream = OpenDecoderStream(path, SampleKind::Source);
        ASSERT_TRUE(stream) << round;
        stream->Tags();
        EXPECT_TRUE(ReadAll(*stream) == reference) << round;
    }
}

// FLAC's frame header and frame checksums.
std::uint8_t Crc8(const char* bytes, std::size_t size) {
    std::uint8_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint8_t>(bytes[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint8_t>((crc & 0x80) != 0 ? (crc << 1) ^ 0x07 : crc << 1);
    }
    return crc;
}

std::uint16_t Crc16(const char* bytes, std::size_t size) {
    std::uint16_t crc = 0;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[i]) << 8);
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc & 0x8000) != 0 ? (crc << 1) ^ 0x8005 : crc << 1);
    }
    return crc;
}

// A three-frame file (4096-frame blocks) whose last frame is renumbered to frame number last,
// and whose STREAMINFO claims the length that makes: frames 2 to last - 1 are lost.
void RenumberLastFrame(const std::filesystem::path& path, std::uint32_t last) {
    std::vector<char> bytes = FileBytes(path);
    // The last frame's header: sync, two bytes of codes, frame number 2 in one byte, its CRC.
    std::size_t at = bytes.size();
    for (std::size_t i = test::FirstFlacFrameOffset(bytes); i + 6 < bytes.size(); ++i)
        if (static_cast<std::uint8_t>(bytes[i]) == 0xFF &&
            static_cast<std::uint8_t>(bytes[i + 1]) == 0xF8 && bytes[i + 4] == 2 &&
            Crc8(&bytes[i], 5) == static_cast<std::uint8_t>(bytes[i + 5]))
            at = i;
    ASSERT_LT(at, bytes.size());
    std::vector<char> frame(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                            bytes.begin() + static_cast<std::ptrdiff_t>(at) + 4);
    // The number in four bytes of UTF-8 style.
    for (const std::uint32_t part : {0xF0 | (last >> 18), 0x80 | ((last >> 12) & 0x3F),
                                     0x80 | ((last >> 6) & 0x3F), 0x80 | (last & 0x3F)})
        frame.push_back(static_cast<char>(part));
    frame.push_back(static_cast<char>(Crc8(frame.data(), frame.size())));
    frame.insert(frame.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at) + 6, bytes.end() - 2);
    const std::uint16_t crc = Crc16(frame.data(), frame.size());
    frame.push_back(static_cast<char>(crc >> 8));
    frame.push_back(static_cast<char>(crc & 0xFF));
    bytes.resize(at);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    // The 36-bit length: the low 4 bits of STREAMINFO's byte 13, then bytes 14 to 17.
    const std::uint64_t total = (std::uint64_t{last} + 1) * 4096;
    bytes[8 + 13] = static_cast<char>((bytes[8 + 13] & 0xF0) | ((total >> 32) & 0x0F));
    for (int i = 0; i < 4; ++i)
        bytes[8 + 14 + static_cast<std::size_t>(i)] =
            static_cast<char>((total >> (24 - 8 * i)) & 0xFF);
    WriteFileBytes(path, bytes);
}

TEST(FlacTest, ALostStretchIsSilenceCountedOutAsItIsRead) {
    TempDir dir;
    const auto clean = dir.Path() / "clean.flac";
    EncodeFlac(clean, Params(ToneSpec{44100, 2, 3 * 4096 / 44100.0}, 16, false, false));
    const auto original = OpenDecoderStream(clean, SampleKind::Source);
    const std::vector<std::byte> audio = ReadAll(*original);
    ASSERT_EQ(audio.size(), 3u * 4096 * 4);
    const std::size_t block = 4096 * 4;
    // A short stretch read to the end; one of days, whose silence is never held whole.
    for (const std::uint32_t last : {std::uint32_t{64}, std::uint32_t{1} << 20}) {
        SCOPED_TRACE(last);
        const auto path = dir.Path() / ("lost" + std::to_string(last) + ".flac");
        std::filesystem::copy_file(clean, path, std::filesystem::copy_options::overwrite_existing);
        RenumberLastFrame(path, last);
        const auto stream = OpenDecoderStream(path, SampleKind::Source);
        ASSERT_TRUE(stream);
        ASSERT_EQ(stream->LengthBytes(), (std::int64_t{last} + 1) * std::int64_t{block});
        std::vector<std::byte> data;
        std::vector<std::byte> buffer(1 << 20);
        while (stream->IsActive() && data.size() < (std::size_t{64} << 20)) {
            const std::size_t got = stream->Read(buffer).Bytes;
            data.insert(data.end(), buffer.begin(),
                        buffer.begin() + static_cast<std::ptrdiff_t>(got));
        }
        ASSERT_GE(data.size(), std::min<std::size_t>(std::size_t{last + 1} * block, 64u << 20));
        // libFLAC itself gives the frame after a jump, and some before it, as silence.
        EXPECT_TRUE(std::equal(audio.begin(), audio.begin() + 2 * block, data.begin()));
        EXPECT_TRUE(std::all_of(data.begin() + 2 * block, data.end(),
                                [](std::byte b) { return b == std::byte{0}; }));
        if (stream->IsActive())
            continue;
        EXPECT_EQ(data.size(), std::size_t{last + 1} * block);
        const std::string warnings = JoinedEnglish(stream->Warnings());
        EXPECT_NE(warnings.find("was replaced by silence"), std::string::npos) << warnings;
        EXPECT_NE(warnings.find(CoreText{CoreTextId::ChecksumMismatch}.English()),
                  std::string::npos)
            << warnings;
    }
}

// Damage anywhere: every stream decodes or is refused, never more than its length, and a
// stream that delivers keeps whole frames.
TEST(FlacTest, SeededRandomDamageIsSurvived) {
    TempDir dir;
    const auto clean = dir.Path() / "clean.flac";
    EncodeFlac(clean, Params(ToneSpec{22050, 2, 2.0}, 16, false, true, 1152));
    const std::vector<char> original = FileBytes(clean);
    std::mt19937 random(2026);
    for (int round = 0; round < 40; ++round) {
        std::vector<char> bytes = original;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] = static_cast<char>(random());
        if (round % 4 == 3)
            bytes.resize(random() % bytes.size());
        const auto path = dir.Path() / "damaged.flac";
        WriteFileBytes(path, bytes);
        const auto stream = OpenDecoderStream(path, SampleKind::Source);
        if (!stream)
            continue;
        try {
            const std::vector<std::byte> data = ReadAll(*stream, 3000);
            EXPECT_EQ(data.size() % 4, 0u) << round;
        } catch (const std::exception&) {
            // A decoder error is a clear refusal.
        }
    }
}

} // namespace
} // namespace zent
