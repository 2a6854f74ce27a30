#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zent {

// The canonical 44-byte RIFF/WAVE header: a "fmt " chunk for integer PCM and a "data" chunk.
inline constexpr std::size_t kWavHeaderSize = 44;
inline constexpr std::uint32_t kWavFormatChunkSize = 16;
inline constexpr std::uint16_t kWavFormatPcm = 1;
inline constexpr std::uint64_t kWavRiffSizeOffset = 4;
inline constexpr std::uint64_t kWavDataSizeOffset = 40;
// The RIFF size counts everything after its own field: "WAVE", the fmt chunk and the data
// chunk's header, so it is the data size plus this.
inline constexpr std::uint32_t kWavRiffOverhead = 36;
// The largest data size whose RIFF size still fits the 32-bit field.
inline constexpr std::uint64_t kWavMaxDataBytes = 0xFFFFFFFFull - kWavRiffOverhead;

using WavHeaderBytes = std::array<std::byte, kWavHeaderSize>;

struct WavFormat {
    std::uint16_t Channels = 0;
    std::uint32_t SampleRate = 0;
    std::uint16_t BitsPerSample = 0;

    std::uint16_t BlockAlign() const;
    std::uint32_t ByteRate() const;
};

// The header with both size fields 0; they are patched once the data is written.
WavHeaderBytes BuildWavHeader(const WavFormat& format);

// A 32-bit field as the header stores it (little-endian).
std::array<std::byte, 4> LittleEndian32(std::uint32_t value);

} // namespace zent
