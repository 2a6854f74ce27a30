#pragma once

#include "cli/TargetPlan.h"
#include "convert/ConversionEngine.h"

#include <atomic>
#include <optional>
#include <string>
#include <vector>

namespace zent::cli {

// A file of the run as the reports tell it: the engine's report under the file's names. A
// file the run never started has no report; an input refused before the run has a failed one.
struct FileRecord {
    std::string Source;
    std::string Target; // the name planned, then the one the file took
    std::optional<FileReport> Report;
};

// "converted", "skipped", "failed", "stopped" (also abandoned) or "not started".
const char* StatusName(const FileRecord& record);
bool Failed(const FileRecord& record);

// Counters the jobs move and the progress display reads, from any thread. FilesTotal is set
// before the batch starts.
using BatchProgress = EngineProgress;

// Told about every finished file (its record has a report), from the job's thread; must be
// thread-safe.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    virtual void FileFinished(const FileRecord& record) = 0;
};

// Converts the jobs with the conversion engine, as settings say (their ExternalStop is stop).
// After stop is set every job ends after its current block; its unfinished file is removed and
// files not yet begun stay untouched.
std::vector<FileRecord> RunBatch(const std::vector<FileJob>& jobs, EngineSettings settings,
                                 const std::atomic<bool>& stop, BatchProgress& progress,
                                 BatchObserver& observer);

} // namespace zent::cli
