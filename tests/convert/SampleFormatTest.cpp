#include "convert/SampleFormat.h"

#include "decode/Decoder.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <vector>
#include <vorbis/vorbisfile.h>

namespace zent {
namespace {

std::vector<std::byte> Bytes(std::initializer_list<int> values) {
    std::vector<std::byte> bytes;
    for (const int v : values)
        bytes.push_back(static_cast<std::byte>(v));
    return bytes;
}

std::vector<std::byte> WriteAll(SampleFormat format, const std::vector<float>& samples,
                                SampleWriterOptions options = {}) {
    SampleWriter writer(format, options);
    std::vector<std::byte> out(writer.BytesFor(samples.size()));
    EXPECT_EQ(writer.Write(samples, out.data()), out.size());
    return out;
}

struct FormatCase {
    SampleFormat Format;
    std::vector<float> Samples;
    std::vector<std::byte> Expected;
};

TEST(SampleWriter, RoundsToNearestEvenAndClipsInEveryFormat) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float halfStep16 = 0.5f / 32768.0f;
    const std::vector<FormatCase> cases = {
        {SampleFormat::U8, {0.0f, 1.0f, -1.0f, 0.5f, 2.0f, nan}, Bytes({128, 255, 0, 192, 255, 0})},
        {SampleFormat::S16, {0.0f, 1.0f, -1.0f, 0.5f}, Bytes({0, 0, 0xFF, 0x7F, 0, 0x80, 0, 0x40})},
        // Halves go to the even neighbour: 0.5 -> 0, 1.5 -> 2, -0.5 -> 0.
        {SampleFormat::S16,
         {halfStep16, 3 * halfStep16, -halfStep16, -3.0f, nan},
         Bytes({0, 0, 2, 0, 0, 0, 0, 0x80, 0, 0x80})},
        {SampleFormat::S24,
         {0.0f, 1.0f, -1.0f, -0.25f, 2.0f, nan, halfStep16 / 256, 3 * halfStep16 / 256},
         Bytes({0,    0,    0,    0xFF, 0xFF, 0x7F, 0, 0, 0x80, 0, 0, 0xE0,
                0xFF, 0xFF, 0x7F, 0,    0,    0x80, 0, 0, 0,    2, 0, 0})},
        {SampleFormat::S32,
         {1.0f, -1.0f, 0.5f},
         Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0x80, 0, 0, 0, 0x40})},
        {SampleFormat::F32, {1.0f, -0.5f}, Bytes({0, 0, 0x80, 0x3F, 0, 0, 0, 0xBF})},
    };
    // Five times over, so that blocks of several samples at a time and the rest both meet them.
    for (const FormatCase& c : cases) {
        std::vector<float> samples;
        std::vector<std::byte> expected;
        for (int i = 0; i < 5; ++i) {
            samples.insert(samples.end(), c.Samples.begin(), c.Samples.end());
            expected.insert(expected.end(), c.Expected.begin(), c.Expected.end());
        }
        EXPECT_EQ(WriteAll(c.Format, samples), expected) << SampleFormatName(c.Format);
    }
}

TEST(SampleWriter, TwentyFourBitsStayWithinOneSixteenBitStep) {
    std::vector<float> samples;
    for (int i = 0; i < 5000; ++i)
        samples.push_back(static_cast<float>(std::sin(i * 0.013) * 0.9));
    const auto s16 = WriteAll(SampleFormat::S16, samples);
    const auto s24 = WriteAll(SampleFormat::S24, samples);
    bool finer = false;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto at = [](const std::vector<std::byte>& b, std::size_t k) {
            return static_cast<int>(b[k]);
        };
        const int v16 = static_cast<std::int16_t>(at(s16, 2 * i) | at(s16, 2 * i + 1) << 8);
        const int v24 =
            (at(s24, 3 * i) | at(s24, 3 * i + 1) << 8 | at(s24, 3 * i + 2) << 16) << 8 >> 8;
        ASSERT_LE(std::abs(v24 - v16 * 256), 256) << i;
        finer = finer || v24 % 256 != 0;
    }
    EXPECT_TRUE(finer);
}

TEST(SampleWriter, DitherIsTriangularOfOneStepAndRepeatsForOneSeed) {
    const std::vector<float> samples(20000, 0.25f + 0.3f / 32768.0f);
    const auto dithered = WriteAll(SampleFormat::S16, samples, {true});
    EXPECT_EQ(dithered, WriteAll(SampleFormat::S16, samples, {true}));
    EXPECT_NE(dithered, WriteAll(SampleFormat::S16, samples, {true, 7}));
    double sum = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const int value = static_cast<std::int16_t>(static_cast<int>(dithered[2 * i]) |
                                                    static_cast<int>(dithered[2 * i + 1]) << 8);
        ASSERT_LE(std::abs(value - 8192), 2);
        sum += value;
    }
    // Dither keeps on average the fraction that plain rounding loses.
    EXPECT_NEAR(sum / static_cast<double>(samples.size()) - 8192, 0.3, 0.05);
    // Float keeps every value as it is: no dither.
    EXPECT_EQ(WriteAll(SampleFormat::F32, samples, {true}), WriteAll(SampleFormat::F32, samples));
}

// Sixteen bits from libvorbisfile's float output are the bytes the Vorbis decoder gives.
TEST(SampleWriter, SixteenBitsMatchTheVorbisDecoder) {
    test::TempDir dir;
    for (const int channels : {1, 2}) {
        const auto file = dir.File("tone" + std::to_string(channels) + ".ogg");
        test::EncodeOgg(file, {44100, channels, 1.0}, 0.5f);
        auto stream = OpenDecoderStream(file);
        ASSERT_NE(stream, nullptr);
        std::vector<std::byte> decoded;
        std::vector<std::byte> buffer(65536);
        while (stream->IsActive()) {
            const std::size_t got = stream->Read(buffer).Bytes;
            decoded.insert(decoded.end(), buffer.begin(),
                           buffer.begin() + static_cast<std::ptrdiff_t>(got));
        }

        OggVorbis_File vorbis;
        ASSERT_EQ(ov_fopen(file.c_str(), &vorbis), 0);
        SampleWriter writer(SampleFormat::S16);
        std::vector<std::byte> written;
        std::vector<float> interleaved;
        float** planes = nullptr;
        int link = 0;
        long got = 0;
        while ((got = ov_read_float(&vorbis, &planes, 4096, &link)) > 0) {
            interleaved.clear();
            for (long f = 0; f < got; ++f)
                for (int c = 0; c < channels; ++c)
                    interleaved.push_back(planes[c][f]);
            const std::size_t at = written.size();
            written.resize(at + writer.BytesFor(interleaved.size()));
            writer.Write(interleaved, written.data() + at);
        }
        ov_clear(&vorbis);
        EXPECT_EQ(written, decoded) << channels << " channels";
    }
}

} // namespace
} // namespace zent
