#pragma once

#include "cli/TargetPlan.h"
#include "convert/ConversionEngine.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

// Counters the jobs move and the progress display reads, from any thread. FilesTotal is set
// before the batch starts.
using BatchProgress = EngineProgress;

// Told about every finished file, from the job's thread; must be thread-safe.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    virtual void FileFinished(const FileResult& result) = 0;
};

// Converts the jobs with the conversion engine, as settings say (their ExternalStop is stop).
// After stop is set every job ends after its current block; its unfinished file is removed and
// files not yet begun stay untouched.
std::vector<FileResult> RunBatch(const std::vector<FileJob>& jobs, EngineSettings settings,
                                 const std::atomic<bool>& stop, BatchProgress& progress,
                                 BatchObserver& observer);

} // namespace zent::cli
