#include "convert/WavHeader.h"

#include <cstring>
#include <string_view>

namespace zent {

namespace {

// Appends fields in order, each little-endian whatever the host's byte order.
class HeaderBuilder {
public:
    explicit HeaderBuilder(WavHeaderBytes& bytes) : FBytes(bytes) {}

    void Tag(std::string_view fourCharacters) {
        std::memcpy(FBytes.data() + FOffset, fourCharacters.data(), 4);
        FOffset += 4;
    }
    void U16(std::uint16_t value) {
        FBytes[FOffset++] = static_cast<std::byte>(value & 0xFFu);
        FBytes[FOffset++] = static_cast<std::byte>(value >> 8);
    }
    void U32(std::uint32_t value) {
        for (const std::byte b : LittleEndian32(value))
            FBytes[FOffset++] = b;
    }

private:
    WavHeaderBytes& FBytes;
    std::size_t FOffset = 0;
};

} // namespace

std::uint16_t WavFormat::BlockAlign() const {
    return static_cast<std::uint16_t>(Channels * BitsPerSample / 8);
}

std::uint32_t WavFormat::ByteRate() const {
    return static_cast<std::uint32_t>(BlockAlign()) * SampleRate;
}

std::array<std::byte, 4> LittleEndian32(std::uint32_t value) {
    return {static_cast<std::byte>(value & 0xFFu), static_cast<std::byte>((value >> 8) & 0xFFu),
            static_cast<std::byte>((value >> 16) & 0xFFu), static_cast<std::byte>(value >> 24)};
}

WavHeaderBytes BuildWavHeader(const WavFormat& format) {
    WavHeaderBytes bytes{};
    HeaderBuilder header(bytes);
    header.Tag("RIFF");
    header.U32(0);
    header.Tag("WAVE");
    header.Tag("fmt ");
    header.U32(kWavFormatChunkSize);
    header.U16(kWavFormatPcm);
    header.U16(format.Channels);
    header.U32(format.SampleRate);
    header.U32(format.ByteRate());
    header.U16(format.BlockAlign());
    header.U16(format.BitsPerSample);
    header.Tag("data");
    header.U32(0);
    return bytes;
}

} // namespace zent
