#include "decode/ChannelMixer.h"

#include "framework/Errors.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace zent {

namespace {

constexpr int kMaxSourceChannels = 8;
constexpr float kMinus3dB = 0.70710678f;

// Where each channel of a layout goes in a stereo mix.
enum class Side { Left, Right, Both, Dropped };

constexpr Side L = Side::Left;
constexpr Side R = Side::Right;
constexpr Side B = Side::Both;
constexpr Side X = Side::Dropped;

struct Placement {
    Side To;
    float Gain;
};

// Per layout, in WAV order: FL FR FC LFE BL BR (back centre for seven) SL SR.
const std::array<std::array<Placement, kMaxSourceChannels>, kMaxSourceChannels + 1> kLayouts = {{
    {},
    {{{B, 1.0f}}},
    {{{L, 1.0f}, {R, 1.0f}}},
    {{{L, 1.0f}, {R, 1.0f}, {B, kMinus3dB}}},
    {{{L, 1.0f}, {R, 1.0f}, {L, kMinus3dB}, {R, kMinus3dB}}},
    {{{L, 1.0f}, {R, 1.0f}, {B, kMinus3dB}, {L, kMinus3dB}, {R, kMinus3dB}}},
    {{{L, 1.0f}, {R, 1.0f}, {B, kMinus3dB}, {X, 0.0f}, {L, kMinus3dB}, {R, kMinus3dB}}},
    {{{L, 1.0f},
      {R, 1.0f},
      {B, kMinus3dB},
      {X, 0.0f},
      {B, kMinus3dB},
      {L, kMinus3dB},
      {R, kMinus3dB}}},
    {{{L, 1.0f},
      {R, 1.0f},
      {B, kMinus3dB},
      {X, 0.0f},
      {L, kMinus3dB},
      {R, kMinus3dB},
      {L, kMinus3dB},
      {R, kMinus3dB}}},
}};

} // namespace

ChannelMixer::ChannelMixer(int sourceChannels, int targetChannels)
    : FSource(sourceChannels), FTarget(targetChannels) {
    if (sourceChannels < 1 || sourceChannels > kMaxSourceChannels || targetChannels < 1 ||
        targetChannels > 2)
        throw Error("Cannot mix " + std::to_string(sourceChannels) + " channels into " +
                    std::to_string(targetChannels) + ".");
    // The stereo mix first; mono averages its two sides.
    std::array<std::vector<float>, 2> stereo{std::vector<float>(static_cast<std::size_t>(FSource)),
                                             std::vector<float>(static_cast<std::size_t>(FSource))};
    for (int c = 0; c < FSource; ++c) {
        const Placement& place =
            kLayouts[static_cast<std::size_t>(FSource)][static_cast<std::size_t>(c)];
        const auto at = static_cast<std::size_t>(c);
        if (place.To == Side::Left || place.To == Side::Both)
            stereo[0][at] = place.Gain;
        if (place.To == Side::Right || place.To == Side::Both)
            stereo[1][at] = place.Gain;
    }
    FMatrix.assign(static_cast<std::size_t>(FTarget * FSource), 0.0f);
    for (int t = 0; t < FTarget; ++t) {
        float sum = 0.0f;
        for (int c = 0; c < FSource; ++c) {
            const auto at = static_cast<std::size_t>(c);
            const float value = FTarget == 2 ? stereo[static_cast<std::size_t>(t)][at]
                                             : (stereo[0][at] + stereo[1][at]) / 2;
            FMatrix[static_cast<std::size_t>(t * FSource + c)] = value;
            sum += std::fabs(value);
        }
        if (sum > 1.0f) {
            for (int c = 0; c < FSource; ++c)
                FMatrix[static_cast<std::size_t>(t * FSource + c)] /= sum;
        }
    }
}

std::size_t ChannelMixer::Mix(std::span<const float> source, std::span<float> target) const {
    const auto sourceChannels = static_cast<std::size_t>(FSource);
    const auto targetChannels = static_cast<std::size_t>(FTarget);
    const std::size_t frames =
        std::min(source.size() / sourceChannels, target.size() / targetChannels);
    if (FSource == 2 && FTarget == 1) {
        // The common case in a loop the compiler vectorises; the same sums as below.
        const float left = FMatrix[0];
        const float right = FMatrix[1];
        for (std::size_t f = 0; f < frames; ++f)
            target[f] = (0.0f + left * source[2 * f]) + right * source[2 * f + 1];
        return frames;
    }
    for (std::size_t f = 0; f < frames; ++f) {
        const float* in = source.data() + f * sourceChannels;
        float* out = target.data() + f * targetChannels;
        for (std::size_t t = 0; t < targetChannels; ++t) {
            const float* row = FMatrix.data() + t * sourceChannels;
            float value = 0.0f;
            for (std::size_t c = 0; c < sourceChannels; ++c)
                value += row[c] * in[c];
            out[t] = value;
        }
    }
    return frames * targetChannels;
}

} // namespace zent
