#pragma once

#include "convert/OutputFile.h"
#include "convert/WavHeader.h"
#include "convert/WavLayout.h"
#include "framework/Errors.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace zent {

class ConversionView;
class DecoderStream;
class OutputFile;

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

struct WavWriterOptions {
    // Data bytes a file may hold; cut down to whole sample frames and to kWavMaxDataBytes.
    std::uint64_t MaxDataBytes = kWavMaxDataBytes;
    // What a stop request leaves: a shorter whole file at the target, which a person who
    // pressed Stop expects; or nothing, the target as it was, for a batch that is to be run
    // again.
    bool KeepStoppedFile = true;
    // A file already at the target: replaced, or kept (beside a numbered name, or alone).
    ExistingTarget Existing = ExistingTarget::Replace;
    // When set, told the name the file took.
    std::filesystem::path* TakenTarget = nullptr;
};

// A source that ended well before the length it announced when it was opened.
std::string SourceEndsEarlyMessage(const std::filesystem::path& sourcePath, double decodedSeconds,
                                   double lengthSeconds);

// How a WAV file's data ended.
struct WavEnding {
    WavFormat Format;
    std::uint64_t DataBytes = 0;
    std::int64_t LengthBytes = 0;      // the length the stream announced when it was opened
    std::int64_t CodecFrameFrames = 0; // how far short of it the data may end
    bool Stopped = false;              // ended by a stop request: shorter is expected
    bool Cut = false;                  // ended at the WAV size limit
    bool TrimTail = false;             // bytes may lie beyond the data (slices written ahead)
    // For an output that is not the source's 16-bit samples: its header, and the source
    // bytes decoded (Format then describes the source, for the length check).
    const WavLayout* Layout = nullptr;
    std::int64_t SourceBytes = 0;
    std::vector<std::byte> InfoChunk; // written after the data, when not empty
};

// Finishes every WAV file, whole or written in slices, whose header (sizes 0) and data are in
// place: refuses a source that ended early (SourceEndsEarlyMessage, the file is not kept),
// patches the sizes, commits the file under its name, and then throws EWavSizeLimitError when
// the data was cut at the limit.
void FinishWavFile(OutputFile& file, const WavEnding& ending,
                   const std::filesystem::path& sourcePath);

// Decodes sourcePath into the WAV file targetPath, in blocks of up to buffer's size. The
// file is written under a hidden name and takes targetPath only when it is finished: whole,
// ended by a stop request (unless options say otherwise), or cut at the WAV size limit (then
// EWavSizeLimitError follows). Returns false when a stop request ended the conversion.
// On any error nothing is left behind and what was at targetPath stays as it was. Throws
// EDecoderError "Sample not loaded." when the source cannot be opened, and EDecoderError
// with SourceEndsEarlyMessage when it ends short of its length. Holds no shared state:
// different files may be converted on different threads at once.
bool ConvertFile(const std::filesystem::path& targetPath, const std::filesystem::path& sourcePath,
                 std::span<std::byte> buffer, ConversionView& view,
                 const WavWriterOptions& options = {});

// ConvertFile on a stream that is already open; sourcePath names it in messages.
bool WriteWavFile(DecoderStream& stream, const std::filesystem::path& sourcePath,
                  const std::filesystem::path& targetPath, std::span<std::byte> buffer,
                  ConversionView& view, const WavWriterOptions& options = {});

} // namespace zent
