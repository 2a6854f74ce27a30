#include "decode/ChannelMixer.h"

#include "framework/Errors.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace zent {
namespace {

constexpr float k3dB = 0.70710678f;

struct MixCase {
    int Source;
    int Target;
    std::vector<float> Unscaled; // target-major; divided by the row's sum when above 1
};

TEST(ChannelMixer, CoefficientsOfEveryLayout) {
    const float c = k3dB;
    const float h = k3dB / 2;
    const std::vector<MixCase> cases = {
        {1, 1, {1}},
        {1, 2, {1, 1}},
        {2, 1, {0.5f, 0.5f}},
        {2, 2, {1, 0, 0, 1}},
        {3, 2, {1, 0, c, 0, 1, c}},
        {4, 2, {1, 0, c, 0, 0, 1, 0, c}},
        {5, 2, {1, 0, c, c, 0, 0, 1, c, 0, c}},
        {6, 2, {1, 0, c, 0, c, 0, 0, 1, c, 0, 0, c}},
        {6, 1, {0.5f, 0.5f, c, 0, h, h}},
        {7, 2, {1, 0, c, 0, c, c, 0, 0, 1, c, 0, c, 0, c}},
        {8, 2, {1, 0, c, 0, c, 0, c, 0, 0, 1, c, 0, 0, c, 0, c}},
        {8, 1, {0.5f, 0.5f, c, 0, h, h, h, h}},
    };
    for (const MixCase& m : cases) {
        const ChannelMixer mixer(m.Source, m.Target);
        for (int t = 0; t < m.Target; ++t) {
            const auto row = m.Unscaled.begin() + t * m.Source;
            float sum = 0;
            for (int s = 0; s < m.Source; ++s)
                sum += row[s];
            for (int s = 0; s < m.Source; ++s)
                EXPECT_NEAR(mixer.Coefficient(t, s), row[s] / std::max(sum, 1.0f), 1e-6)
                    << m.Source << " to " << m.Target << ", target " << t << ", source " << s;
        }
    }
}

TEST(ChannelMixer, FullScaleInputNeverClips) {
    for (int source = 1; source <= 8; ++source) {
        for (int target = 1; target <= 2; ++target) {
            const ChannelMixer mixer(source, target);
            for (const float level : {1.0f, -1.0f}) {
                const std::vector<float> in(static_cast<std::size_t>(source), level);
                std::vector<float> out(static_cast<std::size_t>(target));
                ASSERT_EQ(mixer.Mix(in, out), out.size());
                for (const float v : out)
                    EXPECT_LE(std::fabs(v), 1.0f + 1e-6f) << source << " to " << target;
            }
        }
    }
}

TEST(ChannelMixer, MixesFrameByFrame) {
    const ChannelMixer mixer(2, 1);
    const std::vector<float> stereo = {1.0f, 0.0f, 0.5f, -0.5f, -1.0f, -0.5f};
    std::vector<float> mono(3);
    EXPECT_EQ(mixer.Mix(stereo, mono), 3u);
    EXPECT_EQ(mono, (std::vector<float>{0.5f, 0.0f, -0.75f}));
}

TEST(ChannelMixer, RefusesLayoutsWithoutARule) {
    EXPECT_THROW(ChannelMixer(9, 2), Error);
    EXPECT_THROW(ChannelMixer(2, 3), Error);
    EXPECT_THROW(ChannelMixer(0, 1), Error);
}

} // namespace
} // namespace zent
