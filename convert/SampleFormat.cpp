#include "convert/SampleFormat.h"

#include "decode/PcmRounding.h"

#include <array>
#include <bit>
#include <cstring>

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
    // splitmix64: cheap, and the whole 64-bit state is the seed.
    const auto next = [this] {
        std::uint64_t z = (FNoiseState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    };
    constexpr double kUnit = 1.0 / 9007199254740992.0; // 2^-53
    const double a = static_cast<double>(next() >> 11) * kUnit;
    const double b = static_cast<double>(next() >> 11) * kUnit;
    return a - b; // triangular over (-1, 1) steps
}

template <int Bits, bool Dither>
void SampleWriter::WriteIntegers(std::span<const float> samples, std::byte* target) {
    constexpr int kBytes = Bits / 8;
    constexpr double kFullScale = PcmRange<Bits>::FullScale;
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
        for (std::size_t i = 0; i < samples.size(); ++i) {
            StoreLittleEndian<4>(std::bit_cast<std::uint32_t>(samples[i]), target + 4 * i);
        }
        break;
    }
    return BytesFor(samples.size());
}

} // namespace zent
