#pragma once

#include "convert/WavLayout.h"
#include "framework/CoreText.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace zent {

class OutputFile;

// A source that ended well before the length it announced when it was opened.
CoreText SourceEndsEarlyText(const std::filesystem::path& sourcePath, double decodedSeconds,
                             double lengthSeconds);
std::string SourceEndsEarlyMessage(const std::filesystem::path& sourcePath, double decodedSeconds,
                                   double lengthSeconds);

// Throws EDecoderError with SourceEndsEarlyMessage when decodedBytes of the source fall more
// than allowedShortBytes (one codec frame) short of lengthBytes; all three in the source's
// bytes, of bytesPerSecond.
void CheckFullLength(const std::filesystem::path& sourcePath, std::int64_t decodedBytes,
                     std::int64_t lengthBytes, std::int64_t allowedShortBytes,
                     std::int64_t bytesPerSecond);

// How a WAV file's data ended.
struct WavFinish {
    WavLayout Layout;                   // of the header written at the start
    std::uint64_t DataBytes = 0;        // of samples after the header
    std::int64_t SourceBytes = 0;       // decoded from the source for them
    std::int64_t LengthBytes = 0;       // the length the source announced when it was opened
    std::int64_t AllowedShortBytes = 0; // how far short of it the source may end
    std::int64_t SourceBytesPerSecond = 0;
    bool Stopped = false;                 // ended by a stop request: shorter is expected
    bool TrimTail = false;                // bytes may lie beyond the data (slices written ahead)
    std::span<const std::byte> InfoChunk; // written after the data, when not empty
    // Data bytes past which the file becomes RF64 even where 32-bit sizes would hold them.
    std::uint64_t MaxRiffDataBytes = ~std::uint64_t{0};
};

// Finishes every WAV file whose header (sizes 0) and data are in place: refuses a source that
// ended early (the file is not kept), writes the trailer and the sizes, and commits the file
// under its name. Data that outgrew the header's 32-bit sizes (a source longer than it said)
// is moved once to make room for the RF64 header.
void FinishWavFile(OutputFile& file, const WavFinish& finish,
                   const std::filesystem::path& sourcePath);

} // namespace zent
