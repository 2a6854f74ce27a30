#pragma once

#include "convert/ConversionEngine.h"
#include "convert/OutputFile.h"
#include "convert/SampleShaper.h"
#include "convert/SlicePlan.h"
#include "convert/WavLayout.h"
#include "decode/Decoder.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zent {

// Unwinds a conversion that a stop abandons; its hidden file goes with it.
struct FileAbandoned {};

// What the work on one file needs of the engine; called on the job's thread.
class JobContext {
public:
    virtual const EngineSettings& Settings() const = 0;
    // Null never: a source that cannot be opened throws.
    virtual std::unique_ptr<DecoderStream> Open(const std::string& source, SampleKind kind) = 0;
    // bytes of the source were just written; fileDone of fileLength are written now.
    virtual void Count(FileId id, std::int64_t bytes, std::int64_t fileDone,
                       std::int64_t fileLength, std::int64_t bytesPerSecond) = 0;
    // Whether the file goes on after a block: false for the file a stop keeps; throws
    // FileAbandoned for the others.
    virtual bool KeepsGoing(FileId id) const = 0;

protected:
    ~JobContext() = default;
};

// A source opened for conversion and the output it becomes.
struct OpenedFile {
    std::unique_ptr<DecoderStream> Stream;
    // Null when the output is the decoder's 16-bit samples as they come.
    std::unique_ptr<SampleShaper> Shaper;
    OutputFormat Output; // for this source's depth
    WavLayout Layout;    // chosen from the length the source announces
    std::vector<std::byte> InfoChunk;
    std::int64_t SourceFrameBytes = 1; // in the stream's own sample kind
    std::uint64_t DataBytes = 0;       // the output's data, as announced

    std::int64_t BytesPerSecond() const { return SourceFrameBytes * Stream->SampleRate(); }
    std::int64_t AllowedShortBytes() const { return Stream->CodecFrameFrames() * SourceFrameBytes; }
    // The source checks its samples, but only when one decoder reads it through: the output
    // is not the source's own samples, so their check cannot read them back.
    bool CheckedWhole = false;

    // Whether the output may be written in slices at their places. A file checked whole is
    // not cut: a second decode through it to check it would cost what the cut gains.
    bool Cuttable() const { return (!Shaper || Shaper->Cuttable()) && !CheckedWhole; }
};

// Opens file's source in the sample kind its output needs and fills in the report's format
// and warnings.
OpenedFile OpenFile(JobContext& context, const EngineFile& file, FileReport& report);

// The whole file in one piece, into a hidden file that takes the target's name when finished.
void ConvertWhole(JobContext& context, const EngineFile& file, OpenedFile& opened,
                  FileReport& report, std::span<std::byte> buffer);

// The one file to standard output, in order. The header tells the length the stream
// announced (after the rate change): data the source holds beyond it is cut, a source that
// ends within a codec frame of it is padded with silence, so the header holds. A stream past
// what 32-bit sizes hold gets RF64's streaming header and goes out as it comes.
void ConvertToPipe(JobContext& context, const EngineFile& file, OpenedFile& opened,
                   FileReport& report, std::span<std::byte> buffer);

// A file being converted in slices by several jobs at once; the job that ends its last slice
// finishes the file.
class SlicedFile {
public:
    SlicedFile(FileId id, EngineFile file, FileReport report, const OpenedFile& opened,
               std::vector<Slice> slices);

    std::size_t SliceCount() const { return FSlices.size(); }
    // Converts slice index, on stream when given (else one opened afresh). Returns the file's
    // report to the job that ended the file's last slice.
    std::optional<FileReport> RunSlice(JobContext& context, std::size_t index,
                                       std::unique_ptr<DecoderStream> stream,
                                       std::span<std::byte> buffer);

private:
    void ConvertSlice(JobContext& context, std::size_t index, std::unique_ptr<DecoderStream> stream,
                      std::span<std::byte> buffer);
    bool SliceGoesOn(JobContext& context, std::int64_t sourceBytes);
    void Fail(const CoreText& message);
    std::int64_t ContiguousBytes() const;
    FileReport Finish(const JobContext& context);
    // After the first slice: its job hashes the next slices' data as they write it, for as
    // long as they have begun.
    void FollowSlices(std::span<std::byte> buffer);
    // Whether slice index ended; bytes gets how much of it is in place.
    bool WaitForData(std::size_t index, std::int64_t hashed, std::int64_t& bytes);
    // The data in place at [from, to) into FCheck, read through buffer.
    void HashData(std::uint64_t from, std::uint64_t to, std::span<std::byte> buffer);
    // The check of the data in place, once the slices have written it; empty when it matches.
    std::optional<CoreText> CheckedData(const JobContext& context);

    const FileId FId;
    const EngineFile FJob;
    FileReport FReport;
    const std::vector<Slice> FSlices;
    // Per slice, each written by its own job and read once FPending reached 0.
    std::vector<std::int64_t> FDelivered; // source bytes
    std::vector<std::vector<CoreText>> FWarnings;
    std::atomic<int> FPending;
    std::atomic<std::int64_t> FDone{0};
    std::atomic<bool> FFailed{false};
    std::atomic<bool> FStopped{false};   // kept as a shorter file
    std::atomic<bool> FAbandoned{false}; // left without output
    std::mutex FMutex;
    CoreText FFailMessage;
    const bool FShaped;
    const SampleKind FKind;     // of the stream that opened the file
    const OutputFormat FOutput; // for this source's depth
    // The first slice's data goes in as it is decoded, the rest is read back: by the first
    // slice's job while the others write theirs (FollowSlices), what it did not reach at
    // the end. Used by one job at a time: the first slice's, then the one that finishes.
    std::unique_ptr<DataCheck> FCheck;
    std::int64_t FChecked = 0; // data bytes FCheck has had; the first slice's job's
    // How far each slice is, for FollowSlices: set by the slice's job under FProgressMutex.
    struct SliceProgress {
        bool Started = false;
        bool Ended = false;
        std::int64_t Written = 0; // data bytes in place from the slice's start
    };
    std::vector<SliceProgress> FProgress;
    std::mutex FProgressMutex;
    std::condition_variable FProgressMade;
    const WavLayout FLayout;
    const std::vector<std::byte> FInfoChunk;
    const std::int64_t FSourceFrameBytes;
    const std::int64_t FLength;
    const std::int64_t FAllowedShortBytes;
    const std::int64_t FBytesPerSecond;
    OutputFile FFile; // positioned writes from every slice's job
};

} // namespace zent
