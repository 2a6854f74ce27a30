#include "decode/PcmConvert.h"

#include "decode/PcmRounding.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zent {

namespace {

constexpr int kBytesPerSample = 2;
constexpr float kFullScale = 32768.0f;
constexpr float kLowest = -32768.0f;
constexpr float kHighest = 32767.0f;
constexpr int kMaxOrderedChannels = 8;

// Vorbis orders surround channels differently from WAV; for 3 to 8 channels this gives the
// Vorbis channel that each WAV position takes.
constexpr std::array<std::array<int, kMaxOrderedChannels>, kMaxOrderedChannels + 1>
    kVorbisChannelForWav = {{
        {},
        {0},
        {0, 1},
        {0, 2, 1},                // L, R, C
        {0, 1, 2, 3},             // FL, FR, RL, RR
        {0, 2, 1, 3, 4},          // FL, FR, C, RL, RR
        {0, 2, 1, 5, 3, 4},       // FL, FR, C, LFE, RL, RR
        {0, 2, 1, 6, 5, 3, 4},    // FL, FR, C, LFE, RC, SL, SR
        {0, 2, 1, 7, 5, 6, 3, 4}, // FL, FR, C, LFE, RL, RR, SL, SR
    }};

// One sample as libvorbis's own 16-bit output gives it on x86-64. (Only values beyond twice
// full scale differ: libvorbis turns those into -32768 whatever their sign.)
inline std::int16_t ToSample(float value) {
    return static_cast<std::int16_t>(RoundToPcm<16>(value));
}

#ifdef __SSE2__
// Eight samples of one channel at a time, as ToSample gives them.
inline __m128i ToSamples8(const float* from) {
    const __m128 scale = _mm_set1_ps(kFullScale);
    const __m128 lowest = _mm_set1_ps(kLowest);
    const __m128 highest = _mm_set1_ps(kHighest);
    const auto convert = [&](__m128 value) {
        // max() gives its second operand for NaN, as ToSample does.
        return _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(_mm_mul_ps(value, scale), lowest), highest));
    };
    return _mm_packs_epi32(convert(_mm_loadu_ps(from)), convert(_mm_loadu_ps(from + 4)));
}
#endif

// One float as the four little-endian bytes of a WAV file.
inline void StoreFloat(std::byte* at, float value) {
    auto bits = std::bit_cast<std::uint32_t>(value);
    if constexpr (std::endian::native == std::endian::big) {
        bits = (bits >> 24) | ((bits >> 8) & 0xff00u) | ((bits << 8) & 0xff0000u) | (bits << 24);
    }
    std::memcpy(at, &bits, sizeof bits);
}

// The source channel that each WAV position takes.
int SourceChannel(int channels, int wav) {
    const bool reordered = channels >= 3 && channels <= kMaxOrderedChannels;
    return reordered ? kVorbisChannelForWav[static_cast<std::size_t>(channels)]
                                           [static_cast<std::size_t>(wav)]
                     : wav;
}

} // namespace

void PlanarToWavFloat(float** planes, std::size_t frames, int channels, std::byte* target) {
    const auto count = static_cast<std::size_t>(channels);
    for (std::size_t wav = 0; wav < count; ++wav) {
        const float* source = planes[SourceChannel(channels, static_cast<int>(wav))];
        std::byte* out = target + wav * sizeof(float);
        for (std::size_t frame = 0; frame < frames; ++frame) {
            StoreFloat(out + frame * count * sizeof(float), source[frame]);
        }
    }
}

void InterleavedToWavFloat(const float* samples, std::size_t frames, int channels,
                           std::byte* target) {
    if (channels < 3 || channels > kMaxOrderedChannels) {
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(target, samples,
                        frames * static_cast<std::size_t>(channels) * sizeof(float));
            return;
        }
    }
    const auto count = static_cast<std::size_t>(channels);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const float* in = samples + frame * count;
        std::byte* out = target + frame * count * sizeof(float);
        for (std::size_t wav = 0; wav < count; ++wav) {
            StoreFloat(out + wav * sizeof(float),
                       in[SourceChannel(channels, static_cast<int>(wav))]);
        }
    }
}

void PlanarToWav(float** planes, std::size_t frames, int channels, std::byte* target) {
    const auto count = static_cast<std::size_t>(channels);
    std::array<const float*, kMaxOrderedChannels> sources{};
    for (std::size_t wav = 0; wav < count && wav < sources.size(); ++wav) {
        const bool reordered = channels >= 3 && channels <= kMaxOrderedChannels;
        sources[wav] = planes[reordered ? kVorbisChannelForWav[count][wav] : static_cast<int>(wav)];
    }
    // The target may be at any byte: a request that ended in the middle of a frame moves it.
    const auto store = [target](std::size_t sample, std::int16_t value) {
        std::memcpy(target + sample * kBytesPerSample, &value, sizeof value);
    };
    auto* out = reinterpret_cast<char*>(target);
    std::size_t frame = 0;
#ifdef __SSE2__
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::size_t kStep = 8;
        if (channels == 1) {
            for (; frame + kStep <= frames; frame += kStep) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + frame * kBytesPerSample),
                                 ToSamples8(sources[0] + frame));
            }
        } else if (channels == 2) {
            for (; frame + kStep <= frames; frame += kStep) {
                const __m128i left = ToSamples8(sources[0] + frame);
                const __m128i right = ToSamples8(sources[1] + frame);
                auto* at = reinterpret_cast<__m128i*>(out + 2 * frame * kBytesPerSample);
                _mm_storeu_si128(at, _mm_unpacklo_epi16(left, right));
                _mm_storeu_si128(at + 1, _mm_unpackhi_epi16(left, right));
            }
        }
    }
#endif
    if (channels > kMaxOrderedChannels) {
        // Beyond eight channels there is no WAV order to keep: Vorbis order as it comes.
        for (; frame < frames; ++frame) {
            for (std::size_t c = 0; c < count; ++c) {
                store(frame * count + c, ToSample(planes[c][frame]));
            }
        }
        return;
    }
    for (; frame < frames; ++frame) {
        for (std::size_t wav = 0; wav < count; ++wav) {
            store(frame * count + wav, ToSample(sources[wav][frame]));
        }
    }
}

void InterleavedToWav(const float* samples, std::size_t frames, int channels, std::byte* target) {
    const auto count = static_cast<std::size_t>(channels);
    const auto store = [target](std::size_t sample, std::int16_t value) {
        std::memcpy(target + sample * kBytesPerSample, &value, sizeof value);
    };
    const std::size_t total = frames * count;
    if (channels < 3 || channels > kMaxOrderedChannels) {
        // Already in WAV order: one run of samples.
        std::size_t sample = 0;
#ifdef __SSE2__
        if constexpr (std::endian::native == std::endian::little) {
            auto* out = reinterpret_cast<char*>(target);
            constexpr std::size_t kStep = 8;
            for (; sample + kStep <= total; sample += kStep) {
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out + sample * kBytesPerSample),
                                 ToSamples8(samples + sample));
            }
        }
#endif
        for (; sample < total; ++sample) {
            store(sample, ToSample(samples[sample]));
        }
        return;
    }
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const float* in = samples + frame * count;
        for (std::size_t wav = 0; wav < count; ++wav) {
            store(frame * count + wav, ToSample(in[kVorbisChannelForWav[count][wav]]));
        }
    }
}

} // namespace zent
