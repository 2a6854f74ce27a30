#include "convert/WavLayout.h"

#include "framework/Errors.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace zent {
namespace {

std::uint32_t U32At(const std::vector<std::byte>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(bytes[at + i]) << (8 * i);
    return value;
}

std::uint16_t U16At(const std::vector<std::byte>& bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned>(bytes[at]) |
                                      static_cast<unsigned>(bytes[at + 1]) << 8);
}

std::uint64_t U64At(const std::vector<std::byte>& bytes, std::size_t at) {
    return U32At(bytes, at) | std::uint64_t{U32At(bytes, at + 4)} << 32;
}

std::string TextAt(const std::vector<std::byte>& bytes, std::size_t at, std::size_t size) {
    return {reinterpret_cast<const char*>(bytes.data()) + at, size};
}

struct LayoutCase {
    SampleFormat Format;
    int Channels;
    std::size_t HeaderSize;
    std::uint16_t Tag;
    std::uint16_t BlockAlign;
    std::uint32_t Mask; // for extensible headers
};

TEST(WavLayout, HeaderForEveryFormatAndChannelCount) {
    const std::vector<LayoutCase> cases = {
        {SampleFormat::U8, 1, 44, 1, 1, 0},           {SampleFormat::S16, 2, 44, 1, 4, 0},
        {SampleFormat::S16, 6, 68, 0xFFFE, 12, 0x3F}, {SampleFormat::S24, 1, 68, 0xFFFE, 3, 0x4},
        {SampleFormat::S24, 2, 68, 0xFFFE, 6, 0x3},   {SampleFormat::S32, 8, 68, 0xFFFE, 32, 0x63F},
        {SampleFormat::U8, 3, 68, 0xFFFE, 3, 0x7},    {SampleFormat::S16, 7, 68, 0xFFFE, 14, 0x70F},
        {SampleFormat::F32, 2, 58, 3, 8, 0},          {SampleFormat::F32, 5, 80, 0xFFFE, 20, 0x37},
        {SampleFormat::S16, 4, 68, 0xFFFE, 8, 0x33},  {SampleFormat::S16, 10, 68, 0xFFFE, 20, 0},
    };
    constexpr std::uint64_t kData = 6000;
    for (const LayoutCase& c : cases) {
        const std::string name =
            std::string(SampleFormatName(c.Format)) + " x" + std::to_string(c.Channels);
        const WavLayout layout(c.Format, c.Channels, 48000);
        const std::vector<std::byte> h = layout.Header(kData, 10);
        ASSERT_EQ(h.size(), c.HeaderSize) << name;
        EXPECT_EQ(TextAt(h, 0, 4) + TextAt(h, 8, 8), "RIFFWAVEfmt ") << name;
        EXPECT_EQ(U32At(h, 4), c.HeaderSize - 8 + kData + 10) << name;
        EXPECT_EQ(U16At(h, 20), c.Tag) << name;
        EXPECT_EQ(U16At(h, 22), c.Channels) << name;
        EXPECT_EQ(U32At(h, 24), 48000u) << name;
        EXPECT_EQ(U32At(h, 28), 48000u * c.BlockAlign) << name;
        EXPECT_EQ(U16At(h, 32), c.BlockAlign) << name;
        EXPECT_EQ(U16At(h, 34), BitsPerSample(c.Format)) << name;
        EXPECT_EQ(TextAt(h, c.HeaderSize - 8, 4), "data") << name;
        EXPECT_EQ(U32At(h, c.HeaderSize - 4), kData) << name;
        if (c.Tag == 0xFFFE) {
            EXPECT_EQ(U32At(h, 16), 40u) << name;
            EXPECT_EQ(U16At(h, 36), 22u) << name;
            EXPECT_EQ(U16At(h, 38), BitsPerSample(c.Format)) << name;
            EXPECT_EQ(U32At(h, 40), c.Mask) << name;
            EXPECT_EQ(U16At(h, 44), IsFloat(c.Format) ? 3 : 1) << name;
            EXPECT_EQ(TextAt(h, 46, 14),
                      std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14))
                << name;
        }
        if (IsFloat(c.Format)) {
            EXPECT_EQ(TextAt(h, c.HeaderSize - 20, 4), "fact") << name;
            EXPECT_EQ(U32At(h, c.HeaderSize - 12), kData / c.BlockAlign) << name;
        }
    }
}

TEST(WavLayout, PlainSixteenAndEightBitKeepTheFortyFourByteHeader) {
    // The bytes the window has always written: RIFF, WAVE, a 16-byte fmt chunk, data.
    const std::string stereo16 =
        std::string("RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0", 24) +
        std::string("\x44\xAC\0\0\x10\xB1\x02\0\x04\0\x10\0data\0\0\0\0", 20);
    EXPECT_EQ(TextAt(WavLayout(SampleFormat::S16, 2, 44100).UnfinishedHeader(), 0, 44), stereo16);
    // The decoder's own samples keep it for any number of channels.
    const WavLayout six = WavLayout::DecoderSamples(16, 6, 48000);
    EXPECT_EQ(six.UnfinishedHeader().size(), 44u);
    EXPECT_EQ(U16At(six.UnfinishedHeader(), 20), 1u);
    EXPECT_EQ(six.BlockAlign(), 12u);
    for (const auto& [format, channels] : std::vector<std::pair<SampleFormat, int>>{
             {SampleFormat::S16, 1}, {SampleFormat::S16, 2}, {SampleFormat::U8, 2}}) {
        const WavLayout layout(format, channels, 44100);
        const auto header = layout.UnfinishedHeader();
        ASSERT_EQ(header.size(), 44u);
        EXPECT_EQ(U16At(header, 22), channels);
        EXPECT_EQ(U16At(header, 32), channels * BytesPerSample(format));
        EXPECT_EQ(U16At(header, 34), BitsPerSample(format));
        EXPECT_EQ(layout.Patches(1000), (std::vector<WavPatch>{{4, 1036}, {40, 1000}}));
    }
}

TEST(WavLayout, Rf64HeaderHoldsTheSizesInItsDs64Chunk) {
    for (const SampleFormat format : {SampleFormat::S16, SampleFormat::F32}) {
        const WavLayout plain(format, 2, 44100);
        const WavLayout layout = plain.AsRf64();
        const std::uint64_t data = 5'000'000'000ull;
        const auto header = layout.Header(data, 10);
        ASSERT_EQ(header.size(), plain.HeaderSize() + 36);
        EXPECT_EQ(TextAt(header, 0, 4), "RF64");
        EXPECT_EQ(U32At(header, 4), 0xFFFFFFFFu);
        EXPECT_EQ(TextAt(header, 12, 4), "ds64");
        EXPECT_EQ(U32At(header, 16), 28u);
        EXPECT_EQ(U64At(header, 20), header.size() - 8 + data + 10);
        EXPECT_EQ(U64At(header, 28), data);
        EXPECT_EQ(U64At(header, 36), data / layout.BlockAlign());
        EXPECT_EQ(TextAt(header, 48, 4), "fmt ");
        EXPECT_EQ(TextAt(header, header.size() - 8, 4), "data");
        EXPECT_EQ(U32At(header, header.size() - 4), 0xFFFFFFFFu);
        // The format chunk is the plain one's.
        EXPECT_EQ(TextAt(header, 48, 24), TextAt(plain.UnfinishedHeader(), 12, 24));
        for (const WavPatch& patch : layout.Patches(data, 10))
            EXPECT_EQ(U64At(header, patch.Offset), patch.Value);
        // A pipe's header claims the largest size readers take.
        EXPECT_EQ(U64At(layout.StreamingHeader(), 28), layout.MaxDataBytes());
        EXPECT_LT(U64At(layout.StreamingHeader(), 20), std::uint64_t{1} << 63);
    }
}

TEST(WavLayout, Rf64IsChosenOnlyPastWhat32BitSizesHold) {
    const WavLayout layout(SampleFormat::S16, 2, 44100);
    const std::uint64_t most = layout.MaxDataBytes();
    EXPECT_EQ(layout.For(most, 0).Container(), WavContainer::Riff);
    EXPECT_EQ(layout.For(most + 4, 0).Container(), WavContainer::Rf64);
    // The trailer counts.
    EXPECT_EQ(layout.For(layout.MaxDataBytes(100), 100).Container(), WavContainer::Riff);
    EXPECT_EQ(layout.For(layout.MaxDataBytes(100) + 4, 100).Container(), WavContainer::Rf64);
    EXPECT_EQ(layout.For(1000, 0, 996).Container(), WavContainer::Rf64);
    EXPECT_EQ(layout.For(1000, 0, 1000).Container(), WavContainer::Riff);
}

TEST(WavLayout, PatchesGiveTheSizesOfTheFinishedFile) {
    const WavLayout layout(SampleFormat::F32, 6, 48000);
    const auto patches = layout.Patches(2400, 30);
    const auto header = layout.Header(2400, 30);
    ASSERT_EQ(patches.size(), 3u);
    for (const WavPatch& patch : patches)
        EXPECT_EQ(U32At(header, patch.Offset), patch.Value);
    EXPECT_EQ(patches[0].Value, 80u - 8 + 2400 + 30);
    EXPECT_EQ(patches[2].Value, 100u); // frames
    for (const WavPatch& patch : patches)
        EXPECT_EQ(U32At(layout.UnfinishedHeader(), patch.Offset), 0u);
}

TEST(WavLayout, StreamingHeaderClaimsTheLargestWholeFrames) {
    for (const auto& [format, channels] : std::vector<std::pair<SampleFormat, int>>{
             {SampleFormat::S16, 2}, {SampleFormat::S24, 1}, {SampleFormat::F32, 6}}) {
        const WavLayout layout(format, channels, 44100);
        const auto header = layout.StreamingHeader();
        const std::uint32_t data = U32At(header, header.size() - 4);
        EXPECT_EQ(data % layout.BlockAlign(), 0u);
        EXPECT_GT(data + std::uint64_t{layout.BlockAlign()}, 0xFFFFFFFFull - (header.size() - 8));
        EXPECT_EQ(U32At(header, 4), header.size() - 8 + data);
        EXPECT_EQ(layout.MaxDataBytes(), data);
    }
    EXPECT_THROW(WavLayout(SampleFormat::S16, 2, 44100).Patches(0xFFFFFFFFull), Error);
}

TEST(WavLayout, RefusesWhatAWavFileCannotDescribe) {
    EXPECT_THROW(WavLayout(SampleFormat::S16, 0, 44100), Error);
    EXPECT_THROW(WavLayout(SampleFormat::S16, 2, 0), Error);
    EXPECT_THROW(WavLayout(SampleFormat::S32, 20000, 44100), Error);
}

TEST(WavInfoChunk, HoldsTheSetTagsNulTerminatedAndEvenPadded) {
    AudioTags tags;
    tags.Title = "Über";  // 5 bytes + NUL: even
    tags.Artist = "Band"; // 4 + NUL: padded
    tags.Track = "3";
    tags.Comment = std::string("a\0b", 3); // stops at the NUL
    const auto chunk = BuildInfoChunk(tags);
    const std::string expected = std::string("LIST") + std::string("\x34\0\0\0", 4) + "INFO" +
                                 std::string("INAM\x06\0\0\0\xC3\x9C"
                                             "ber\0",
                                             14) +
                                 std::string("IART\x05\0\0\0"
                                             "Band\0\0",
                                             14) +
                                 std::string("ITRK\x02\0\0\0"
                                             "3\0",
                                             10) +
                                 std::string("ICMT\x02\0\0\0"
                                             "a\0",
                                             10);
    EXPECT_EQ(TextAt(chunk, 0, chunk.size()), expected);
    EXPECT_TRUE(BuildInfoChunk({}).empty());
    // After an odd number of data bytes a pad byte keeps the chunk at an even offset.
    EXPECT_EQ(TrailerAfterData(11, chunk).size(), chunk.size() + 1);
    EXPECT_EQ(TrailerAfterData(12, chunk), chunk);
    EXPECT_TRUE(TrailerAfterData(11, {}).empty());
}

} // namespace
} // namespace zent
