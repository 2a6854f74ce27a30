#pragma once

#include "cli/SlicePlan.h"
#include "cli/TargetPlan.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zent {
class DecoderStream;
}

namespace zent::cli {

enum class FileStatus { NotStarted, Converted, Skipped, Failed, Stopped };

const char* StatusName(FileStatus status);

struct FileResult {
    std::string Source;
    std::string Target;
    FileStatus Status = FileStatus::NotStarted;
    std::string Message;
    std::string Warning;     // for a file that converts, but may not be whole
    std::int64_t Frames = 0; // sample frames written
    int Channels = 0;
    int SampleRate = 0;
    double Seconds() const;
};

// Counters the jobs move and the progress display reads, from any thread.
struct BatchProgress {
    std::atomic<std::int64_t> BytesDone{0};
    // Decoded lengths of the files opened so far, and how many those are.
    std::atomic<std::int64_t> BytesOpened{0};
    std::atomic<int> FilesOpened{0};
    std::atomic<int> FilesFinished{0};
    std::atomic<std::int64_t> AudioMicroseconds{0};
    int FilesTotal = 0;
};

// Told about every finished file, from the job's thread; must be thread-safe.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    virtual void FileFinished(const FileResult& result) = 0;
    // After every block written; for tests that stop mid-file.
    virtual void BlockWritten() {}
};

struct BatchSettings {
    unsigned Jobs = 1;
    // How a source is opened; null when it cannot be decoded.
    std::function<std::unique_ptr<DecoderStream>(const std::filesystem::path&)> OpenStream;
    // The slices a file is cut into (PlanSlices unless a test forces its own).
    std::function<std::vector<Slice>(const DecoderStream&, const SliceContext&)> PlanSlices;
};

// Converts the jobs on settings.Jobs threads, each with its own decoder and decode buffer, taking
// files in order. After stop is set every job ends after its current block; its unfinished
// file is removed and files not yet begun stay untouched. Output goes to a hidden temporary
// file in the target directory that is renamed onto the target only when it is complete.
// A file may be cut into slices that several jobs decode at once, each into its place in
// the file; the bytes are those of a conversion in one piece.
std::vector<FileResult> RunBatch(const std::vector<FileJob>& jobs, const BatchSettings& settings,
                                 const std::atomic<bool>& stop, BatchProgress& progress,
                                 BatchObserver& observer);

} // namespace zent::cli
