#pragma once

#include "convert/WavHeader.h"
#include "framework/Errors.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace zent {

class ConversionView;
class DecoderStream;

inline constexpr const char* kOpeningFileText = "Opening file...";
inline constexpr const char* kDonePrefix = "Done ";
inline constexpr const char* kDoneSuffix = "%";
inline constexpr const char* kClosingFileText = "Closing file ...";

// The data did not fit a WAV file's 32-bit sizes; the file was finished at the limit.
class EWavSizeLimitError : public Error {
public:
    using Error::Error;
};

std::string WavSizeLimitMessage(const std::filesystem::path& targetPath);

// The size of the one decode buffer the program converts with.
inline constexpr std::size_t kDecodeBufferSize = 800000;

struct WavWriterLimits {
    // Data bytes a file may hold; cut down to whole sample frames and to kWavMaxDataBytes.
    std::uint64_t MaxDataBytes = kWavMaxDataBytes;
};

// Decodes sourcePath into the WAV file targetPath (created, or overwritten), in blocks of
// up to buffer's size. Throws EDecoderError "Sample not loaded." before anything is created
// when the source cannot be opened; any error after that leaves a closed file whose header
// describes the data in it.
void ConvertFile(const std::filesystem::path& targetPath, const std::filesystem::path& sourcePath,
                 std::span<std::byte> buffer, ConversionView& view,
                 const WavWriterLimits& limits = {});

// ConvertFile on a stream that is already open.
void WriteWavFile(DecoderStream& stream, const std::filesystem::path& targetPath,
                  std::span<std::byte> buffer, ConversionView& view,
                  const WavWriterLimits& limits = {});

} // namespace zent
