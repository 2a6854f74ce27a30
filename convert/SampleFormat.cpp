#include "convert/SampleFormat.h"

#include "decode/PcmRounding.h"

#include <array>
#include <bit>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace zent {

namespace {

struct FormatInfo {
    SampleFormat Format;
    std::string_view Name;
    int Bits;
};

constexpr std::array<FormatInfo, 5> kFormats = {{
    {SampleFormat::U8, "u8", 8},
    {SampleFormat::S16, "s16", 16},
    {SampleFormat::S24, "s24", 24},
    {SampleFormat::S32, "s32", 32},
    {SampleFormat::F32, "f32", 32},
}};

const FormatInfo& InfoOf(SampleFormat format) {
    return kFormats[static_cast<std::size_t>(format)];
}

// 8-bit WAV samples are unsigned, silence at 128.
constexpr std::int32_t kU8Offset = 128;

template <int Bytes> inline void StoreLittleEndian(std::uint32_t value, std::byte* target) {
    for (int i = 0; i < Bytes; ++i) {
        target[i] = static_cast<std::byte>((value >> (8 * i)) & 0xFFu);
    }
}

#ifdef __SSE2__
// Four samples rounded as RoundToPcm<Bits> does. Up to 24 bits the scaled value and both
// bounds are exact in float, and the conversion rounds halves to even as lrint does;
// max() gives its second operand for NaN, the lowest value.
template <int Bits> inline __m128i RoundFour(const float* from) {
    static_assert(Bits <= 24);
    using Range = PcmRange<Bits>;
    const __m128 scaled =
        _mm_mul_ps(_mm_loadu_ps(from), _mm_set1_ps(static_cast<float>(Range::FullScale)));
    const __m128 low = _mm_max_ps(scaled, _mm_set1_ps(static_cast<float>(Range::Lowest)));
    return _mm_cvtps_epi32(_mm_min_ps(low, _mm_set1_ps(static_cast<float>(Range::Highest))));
}

// As RoundFour<16>, with noise added to the scaled values before rounding. Float holds the
// scaled value to 1/256 of a step, more than the dither needs.
inline __m128i RoundFourDithered(const float* from, const float* noise) {
    using Range = PcmRange<16>;
    const __m128 scaled = _mm_add_ps(
        _mm_mul_ps(_mm_loadu_ps(from), _mm_set1_ps(static_cast<float>(Range::FullScale))),
        _mm_loadu_ps(noise));
    const __m128 low = _mm_max_ps(scaled, _mm_set1_ps(static_cast<float>(Range::Lowest)));
    return _mm_cvtps_epi32(_mm_min_ps(low, _mm_set1_ps(static_cast<float>(Range::Highest))));
}

// The leading whole groups of samples in 16 or 24 bits; returns how many were written.
template <int Bits> std::size_t WriteFast(std::span<const float> samples, std::byte* target) {
    std::size_t done = 0;
    if constexpr (std::endian::native == std::endian::little && Bits == 16) {
        for (; done + 8 <= samples.size(); done += 8) {
            const __m128i packed = _mm_packs_epi32(RoundFour<16>(samples.data() + done),
                                                   RoundFour<16>(samples.data() + done + 4));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 2 * done), packed);
        }
    } else if constexpr (std::endian::native == std::endian::little && Bits == 24) {
        alignas(16) std::array<std::int32_t, 4> values{};
        for (; done + 4 <= samples.size(); done += 4) {
            _mm_store_si128(reinterpret_cast<__m128i*>(values.data()),
                            RoundFour<24>(samples.data() + done));
            for (std::size_t i = 0; i < 4; ++i)
                std::memcpy(target + 3 * (done + i), &values[i], 3);
        }
    }
    return done;
}
#else
template <int Bits> std::size_t WriteFast(std::span<const float>, std::byte*) {
    return 0;
}
#endif

} // namespace

int BitsPerSample(SampleFormat format) {
    return InfoOf(format).Bits;
}

int BytesPerSample(SampleFormat format) {
    return InfoOf(format).Bits / 8;
}

bool IsFloat(SampleFormat format) {
    return format == SampleFormat::F32;
}

std::string_view SampleFormatName(SampleFormat format) {
    return InfoOf(format).Name;
}

std::optional<SampleFormat> ParseSampleFormat(std::string_view name) {
    for (const FormatInfo& info : kFormats) {
        if (info.Name == name) {
            return info.Format;
        }
    }
    return std::nullopt;
}

SampleWriter::SampleWriter(SampleFormat format, SampleWriterOptions options)
    : FFormat(format), FBytesPerSample(BytesPerSample(format)),
      FDither(options.Dither && !IsFloat(format)), FNoiseState(options.DitherSeed) {}

double SampleWriter::Noise() {
    // splitmix64: cheap, and the whole 64-bit state is the seed. Its two halves are the two
    // uniform values whose difference is triangular over (-1, 1) steps.
    std::uint64_t z = (FNoiseState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    constexpr double kUnit = 1.0 / 4294967296.0; // 2^-32
    return static_cast<double>(z >> 32) * kUnit - static_cast<double>(z & 0xFFFFFFFFu) * kUnit;
}

template <int Bits, bool Dither>
void SampleWriter::WriteIntegers(std::span<const float> samples, std::byte* target) {
    constexpr int kBytes = Bits / 8;
    constexpr double kFullScale = PcmRange<Bits>::FullScale;
    if constexpr (!Dither && (Bits == 16 || Bits == 24)) {
        const std::size_t done = WriteFast<Bits>(samples, target);
        samples = samples.subspan(done);
        target += done * kBytes;
    }
#ifdef __SSE2__
    if constexpr (Dither && Bits == 16 && std::endian::native == std::endian::little) {
        std::size_t done = 0;
        std::array<float, 8> noise{};
        for (; done + 8 <= samples.size(); done += 8) {
            for (float& value : noise)
                value = static_cast<float>(Noise());
            const __m128i packed =
                _mm_packs_epi32(RoundFourDithered(samples.data() + done, noise.data()),
                                RoundFourDithered(samples.data() + done + 4, noise.data() + 4));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target + 2 * done), packed);
        }
        samples = samples.subspan(done);
        target += done * kBytes;
    }
#endif
    for (const float sample : samples) {
        double scaled = static_cast<double>(sample) * kFullScale;
        if constexpr (Dither) {
            scaled += Noise();
        }
        std::int32_t value = RoundScaledToPcm<Bits>(scaled);
        if constexpr (Bits == 8) {
            value += kU8Offset;
        }
        StoreLittleEndian<kBytes>(static_cast<std::uint32_t>(value), target);
        target += kBytes;
    }
}

template <int Bits>
void SampleWriter::WriteIntegers(std::span<const float> samples, std::byte* target) {
    if (FDither) {
        WriteIntegers<Bits, true>(samples, target);
    } else {
        WriteIntegers<Bits, false>(samples, target);
    }
}

std::size_t SampleWriter::Write(std::span<const float> samples, std::byte* target) {
    // A resampler's block may hold no sample yet; its target may then be null.
    if (samples.empty())
        return 0;
    switch (FFormat) {
    case SampleFormat::U8:
        WriteIntegers<8>(samples, target);
        break;
    case SampleFormat::S16:
        WriteIntegers<16>(samples, target);
        break;
    case SampleFormat::S24:
        WriteIntegers<24>(samples, target);
        break;
    case SampleFormat::S32:
        WriteIntegers<32>(samples, target);
        break;
    case SampleFormat::F32:
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(target, samples.data(), samples.size_bytes());
            break;
        }
        for (std::size_t i = 0; i < samples.size(); ++i) {
            StoreLittleEndian<4>(std::bit_cast<std::uint32_t>(samples[i]), target + 4 * i);
        }
        break;
    }
    return BytesFor(samples.size());
}

} // namespace zent
