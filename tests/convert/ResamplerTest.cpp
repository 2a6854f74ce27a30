#include "decode/Resampler.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace zent {
namespace {

std::vector<float> Tone(int rate, int channels, std::int64_t frames, double hz) {
    std::vector<float> samples;
    for (std::int64_t f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            samples.push_back(static_cast<float>(
                0.5 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(f) / rate)));
    return samples;
}

// The whole output, fed in blocks of blockFrames.
std::vector<float> Resample(const std::vector<float>& in, int channels, int from, int to,
                            std::size_t blockFrames) {
    Resampler resampler(channels, from, to);
    std::vector<float> out;
    const std::size_t block = blockFrames * static_cast<std::size_t>(channels);
    for (std::size_t at = 0; at < in.size(); at += block) {
        const auto got =
            resampler.Process(std::span(in).subspan(at, std::min(block, in.size() - at)));
        out.insert(out.end(), got.begin(), got.end());
    }
    const auto rest = resampler.Flush();
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

TEST(Resampler, TargetFramesAreRoundedToTheNearest) {
    EXPECT_EQ(Resampler::TargetFrames(44100, 44100, 16000), 16000);
    EXPECT_EQ(Resampler::TargetFrames(1, 44100, 16000), 0);     // 0.36
    EXPECT_EQ(Resampler::TargetFrames(2, 44100, 16000), 1);     // 0.73
    EXPECT_EQ(Resampler::TargetFrames(441, 44100, 22050), 221); // 220.5: up
    EXPECT_EQ(Resampler::TargetFrames(3, 8000, 44100), 17);     // 16.54
    EXPECT_EQ(Resampler::TargetFrames(std::int64_t{1} << 40, 48000, 44100),
              std::llround(std::ldexp(1.0, 40) * 44100 / 48000));
}

struct LengthCase {
    int From;
    int To;
    int Channels;
    std::int64_t Frames;
    std::size_t Block;
};

TEST(Resampler, OutputHasTheExactLength) {
    const std::vector<LengthCase> cases = {
        {44100, 16000, 1, 44100 * 2 + 7, 4096},
        {44100, 48000, 2, 30011, 1000},
        {48000, 44100, 2, 48000, 48000},
        {8000, 44100, 1, 8003, 333},
        {22050, 16000, 6, 5, 5},
        {32000, 16000, 1, 0, 100},
    };
    for (const LengthCase& c : cases) {
        const auto out =
            Resample(Tone(c.From, c.Channels, c.Frames, 440), c.Channels, c.From, c.To, c.Block);
        EXPECT_EQ(static_cast<std::int64_t>(out.size()),
                  Resampler::TargetFrames(c.Frames, c.From, c.To) * c.Channels)
            << c.From << " to " << c.To;
    }
}

TEST(Resampler, ToneKeepsItsFrequency) {
    const auto out = Resample(Tone(44100, 1, 44100, 1000), 1, 44100, 16000, 4096);
    // Rising zero crossings over the middle second's worth, away from the filter's edges.
    int crossings = 0;
    for (std::size_t i = 2001; i < 14001; ++i)
        crossings += out[i - 1] < 0 && out[i] >= 0 ? 1 : 0;
    EXPECT_NEAR(crossings, 750, 1); // 1000 Hz over 0.75 s
}

TEST(Resampler, BlockEdgesLeaveNoTrace) {
    const auto in = Tone(44100, 2, 20000, 3000);
    const auto whole = Resample(in, 2, 44100, 16000, in.size());
    const auto blocks = Resample(in, 2, 44100, 16000, 37);
    ASSERT_EQ(whole.size(), blocks.size());
    for (std::size_t i = 0; i < whole.size(); ++i)
        ASSERT_NEAR(whole[i], blocks[i], 1e-5) << i;
}

} // namespace
} // namespace zent
