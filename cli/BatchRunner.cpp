#include "cli/BatchRunner.h"

namespace zent::cli {

namespace {

FileStatus StatusOf(FileOutcome outcome) {
    switch (outcome) {
    case FileOutcome::Converted:
        return FileStatus::Converted;
    case FileOutcome::Skipped:
        return FileStatus::Skipped;
    case FileOutcome::Failed:
        return FileStatus::Failed;
    case FileOutcome::Stopped:
    case FileOutcome::Abandoned:
        break;
    }
    return FileStatus::Stopped;
}

// Fills in each file's result and passes it on; called on the jobs' threads.
class ResultCollector final : public EngineObserver {
public:
    ResultCollector(std::vector<FileResult>& results, BatchObserver& observer)
        : FResults(results), FObserver(observer) {}

    void FileStarted(FileId) override {}
    void BytesWritten(FileId, std::int64_t, std::int64_t, std::int64_t) override {}
    void FileEnded(const FileReport& report) override {
        FileResult& result = FResults[report.Id];
        result.Status = StatusOf(report.Outcome);
        if (!report.Target.empty())
            result.Target = report.Target;
        result.Message = report.Message;
        result.Warning = report.Warning;
        result.Frames = report.Frames;
        result.Channels = report.Channels;
        result.SampleRate = report.SampleRate;
        FObserver.FileFinished(result);
    }

private:
    std::vector<FileResult>& FResults; // each element written by the job that ends its file
    BatchObserver& FObserver;
};

} // namespace

const char* StatusName(FileStatus status) {
    switch (status) {
    case FileStatus::NotStarted:
        return "not started";
    case FileStatus::Converted:
        return "converted";
    case FileStatus::Skipped:
        return "skipped";
    case FileStatus::Failed:
        return "failed";
    case FileStatus::Stopped:
        return "stopped";
    }
    return "";
}

double FileResult::Seconds() const {
    return SampleRate > 0 ? static_cast<double>(Frames) / SampleRate : 0.0;
}

std::vector<FileResult> RunBatch(const std::vector<FileJob>& jobs, EngineSettings settings,
                                 const std::atomic<bool>& stop, BatchProgress& progress,
                                 BatchObserver& observer) {
    std::vector<FileResult> results(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        results[i].Source = jobs[i].Source;
        results[i].Target = jobs[i].Target;
    }
    if (jobs.empty())
        return results;
    ResultCollector collector(results, observer);
    settings.ExternalStop = &stop;
    ConversionEngine engine(std::move(settings), collector, progress);
    for (const FileJob& job : jobs)
        engine.Add(job);
    engine.Close();
    engine.Run();
    return results;
}

} // namespace zent::cli
