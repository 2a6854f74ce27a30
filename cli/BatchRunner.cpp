#include "cli/BatchRunner.h"

namespace zent::cli {

namespace {

// Files each record and passes it on; called on the jobs' threads.
class RecordCollector final : public EngineObserver {
public:
    RecordCollector(std::vector<FileRecord>& records, BatchObserver& observer)
        : FRecords(records), FObserver(observer) {}

    void FileStarted(FileId) override {}
    void BytesWritten(FileId, std::int64_t, std::int64_t, std::int64_t) override {}
    void FileEnded(const FileReport& report) override {
        FileRecord& record = FRecords[report.Id];
        if (!report.Target.empty())
            record.Target = report.Target;
        record.Report = report;
        FObserver.FileFinished(record);
    }

private:
    std::vector<FileRecord>& FRecords; // each element written by the job that ends its file
    BatchObserver& FObserver;
};

} // namespace

const char* StatusName(const FileRecord& record) {
    if (!record.Report)
        return "not started";
    switch (record.Report->Outcome) {
    case FileOutcome::Converted:
        return "converted";
    case FileOutcome::Skipped:
        return "skipped";
    case FileOutcome::Failed:
        return "failed";
    case FileOutcome::Stopped:
    case FileOutcome::Abandoned:
        break;
    }
    return "stopped";
}

bool Failed(const FileRecord& record) {
    return record.Report && record.Report->Outcome == FileOutcome::Failed;
}

std::vector<FileRecord> RunBatch(const std::vector<FileJob>& jobs, EngineSettings settings,
                                 const std::atomic<bool>& stop, BatchProgress& progress,
                                 BatchObserver& observer) {
    std::vector<FileRecord> records;
    for (const FileJob& job : jobs)
        records.push_back({job.Source, job.Target, std::nullopt});
    if (jobs.empty())
        return records;
    RecordCollector collector(records, observer);
    settings.ExternalStop = &stop;
    ConversionEngine engine(std::move(settings), collector, progress);
    for (const FileJob& job : jobs)
        engine.Add(job);
    engine.Close();
    engine.Run();
    return records;
}

} // namespace zent::cli
