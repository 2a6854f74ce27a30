#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace zent {

// The sample formats a WAV file can be written in: unsigned 8-bit, signed 16/24/32-bit
// integers, 32-bit IEEE float; all little-endian.
enum class SampleFormat { U8, S16, S24, S32, F32 };

int BitsPerSample(SampleFormat format);
int BytesPerSample(SampleFormat format);
bool IsFloat(SampleFormat format);
// "u8", "s16", "s24", "s32", "f32".
std::string_view SampleFormatName(SampleFormat format);
std::optional<SampleFormat> ParseSampleFormat(std::string_view name);

struct SampleWriterOptions {
    // Triangular (TPDF) dither of one step either side before rounding to an integer format;
    // for a signal that was resampled or mixed and so holds more precision than it keeps.
    bool Dither = false;
    // The same seed gives the same noise, so a file's bytes repeat from run to run.
    std::uint64_t DitherSeed = 0x5A454E54;
};

// Turns interleaved float samples (full scale -1..1) into the bytes of a WAV file's data.
// One per output file: the dither's noise runs on from block to block. One thread at a time.
class SampleWriter {
public:
    explicit SampleWriter(SampleFormat format, SampleWriterOptions options = {});

    SampleFormat Format() const { return FFormat; }
    std::size_t BytesFor(std::size_t samples) const {
        return samples * static_cast<std::size_t>(FBytesPerSample);
    }
    // Writes BytesFor(samples.size()) bytes at target (any alignment) and returns that count.
    std::size_t Write(std::span<const float> samples, std::byte* target);

private:
    template <int Bits, bool Dither>
    void WriteIntegers(std::span<const float> samples, std::byte* target);
    template <int Bits> void WriteIntegers(std::span<const float> samples, std::byte* target);
    double Noise();

    SampleFormat FFormat;
    int FBytesPerSample;
    bool FDither;
    std::uint64_t FNoiseState;
};

} // namespace zent
