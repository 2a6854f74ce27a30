#pragma once

#include "convert/OutputFile.h"
#include "convert/SampleShaper.h"
#include "convert/SlicePlan.h"
#include "framework/CoreText.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zent {

class DecoderStream;

// Files are numbered from 0 in the order they are added.
using FileId = std::size_t;

// One source and the WAV file it becomes.
struct EngineFile {
    std::string Source;
    std::string Target;
    bool Skip = false; // reported as skipped; nothing is read or written
    // A file already at the target: replaced, or kept (the file is then skipped, or takes a
    // numbered name).
    ExistingTarget Existing = ExistingTarget::Replace;
};

enum class FileOutcome {
    Converted, // whole, under its name
    Skipped,   // also a target that another writer took meanwhile
    Stopped,   // ended by a stop and kept: a valid, shorter file under its name
    Abandoned, // ended by a stop without output: the target stays as it was
    Failed,    // Message says why
};

struct FileReport {
    FileId Id = 0;
    FileOutcome Outcome = FileOutcome::Abandoned;
    std::string Message;
    CoreText Text;                  // Message by identity, for the window's translation
    std::vector<CoreText> Warnings; // for a file that converts, but may not be whole
    std::string Target;      // the name the file took, when it differs from the one asked for
    std::int64_t Frames = 0; // sample frames written
    int Channels = 0;
    int SampleRate = 0;
};

// Told about every file, on the jobs' threads: the events of one file come in order, but
// several jobs may call at once.
class EngineObserver {
public:
    virtual ~EngineObserver() = default;
    virtual void FileStarted(FileId id) = 0; // before the file is opened
    // bytes just written; fileDone of fileLength bytes of the file are written now.
    virtual void BytesWritten(FileId id, std::int64_t bytes, std::int64_t fileDone,
                              std::int64_t fileLength) = 0;
    virtual void FileEnded(const FileReport& report) = 0;
};

// Counters the jobs move and a progress display reads, from any thread.
struct EngineProgress {
    std::atomic<std::int64_t> BytesDone{0};
    // Decoded lengths of the files opened so far, and how many those are.
    std::atomic<std::int64_t> BytesOpened{0};
    std::atomic<int> FilesOpened{0};
    std::atomic<int> FilesFinished{0};
    std::atomic<std::int64_t> AudioMicroseconds{0};
    std::atomic<int> FilesTotal{0}; // set by the front end, for its display
};

// Each job's decode buffer: small enough that a block is still in the core's own cache when
// it is written out, which counts once two jobs share the memory bus; the bytes written do
// not depend on it.
inline constexpr std::size_t kJobBufferSize = 128 * 1024;

struct EngineSettings {
    unsigned Jobs = 1;
    std::size_t BufferSize = kJobBufferSize;
    // Data bytes past which a file is written as RF64 although its 32-bit sizes would still
    // hold them: for tests, which meet RF64 without 4 GiB of audio.
    std::uint64_t MaxRiffDataBytes = ~std::uint64_t{0};
    // How a source is opened; null when it cannot be decoded. OpenDecoderStreamOrThrow when
    // unset.
    std::function<std::unique_ptr<DecoderStream>(const std::filesystem::path&)> OpenStream;
    // The slices a file is cut into; PlanSlices when unset.
    std::function<std::vector<Slice>(const DecoderStream&, const SliceContext&)> PlanSlices;
    // What the files hold; by default the decoder's 16-bit samples as they come.
    OutputFormat Output;
    // When set, the file goes here in order as it is written (a pipe): no file is created,
    // nothing is cut into slices, and the header tells the length announced at the start
    // (RF64's streaming header past 4 GiB). For one file only.
    std::ostream* StandardOutput = nullptr;
    // A stop from outside (a signal handler): every file in flight is abandoned.
    const std::atomic<bool>* ExternalStop = nullptr;
};

// The batch converter of both programs: a queue of files taken in order by settings.Jobs
// jobs, each with its own decoder and buffer. A file is written into a hidden file beside its
// target that takes the target's name only when finished; when jobs would otherwise be idle,
// or a file is much longer than the others, it is cut into slices that several jobs decode
// at once into their places in the file, giving the bytes of a conversion in one piece.
// Settings.Output may ask for other samples than the decoder's 16 bits: such a file is decoded
// as float and mixed, resampled and written in its format on the way. A file whose data will
// not fit 32-bit sizes is written as RF64. The work on one file is in FileJob.
// Every public function may be called from any thread.
class ConversionEngine {
public:
    ConversionEngine(EngineSettings settings, EngineObserver& observer, EngineProgress& progress);
    // Abandons what is in flight and waits for the jobs.
    ~ConversionEngine();
    ConversionEngine(const ConversionEngine&) = delete;
    ConversionEngine& operator=(const ConversionEngine&) = delete;

    // Also while the jobs run; ignored after a stop. Returns the file's number.
    FileId Add(EngineFile file);
    // The files not taken yet are taken in this order; those not named follow in theirs.
    void Order(const std::vector<FileId>& order);
    // No more files come: the jobs end once the queue is empty.
    void Close();
    // No file starts any more; files in flight end after their current block, keep (if it
    // is in flight) as a valid shorter file, the others without output. Returns the files
    // that were never taken; they get no events.
    std::vector<FileId> Stop(std::optional<FileId> keep = std::nullopt);

    // Starts the jobs on threads of their own; Wait joins them.
    void Start();
    void Wait();
    // Runs the jobs, the calling thread being one of them, until the queue is closed and
    // empty (or stopped).
    void Run();

private:
    class Impl;
    std::unique_ptr<Impl> F;
};

} // namespace zent
