#include "cli/BatchRunner.h"

#include "cli/TempOutput.h"
#include "convert/ConversionView.h"
#include "convert/WavWriter.h"
#include "decode/Decoder.h"

#include <algorithm>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <memory>
#include <thread>

namespace zent::cli {

namespace {

constexpr std::int64_t kMicrosecondsPerSecond = 1000000;

// One job's view of a conversion: no texts, no event pump; bytes into the shared counters
// and the stop flag shared by all jobs.
class JobView final : public ConversionView {
public:
    JobView(const std::atomic<bool>& stop, BatchProgress& progress, BatchObserver& observer,
            std::int64_t bytesPerSecond)
        : FStop(stop), FProgress(progress), FObserver(observer), FBytesPerSecond(bytesPerSecond) {}

    void SetStatusText(const std::string&) override {}
    void SetFileProgress(int) override {}
    void AddTotalProgress(std::int64_t bytes) override {
        FWritten += bytes;
        FProgress.BytesDone += bytes;
        if (FBytesPerSecond > 0)
            FProgress.AudioMicroseconds += bytes * kMicrosecondsPerSecond / FBytesPerSecond;
        FObserver.BlockWritten();
    }
    void ProcessEvents() override {}
    bool StopRequested() const override {
        if (FStop.load())
            FStopped = true;
        return FStopped;
    }

    bool Stopped() const { return FStopped; }
    std::int64_t Written() const { return FWritten; }

private:
    const std::atomic<bool>& FStop;
    BatchProgress& FProgress;
    BatchObserver& FObserver;
    std::int64_t FBytesPerSecond;
    std::int64_t FWritten = 0;
    mutable bool FStopped = false;
};

void ConvertOne(const FileJob& job, std::span<std::byte> buffer, const std::atomic<bool>& stop,
                BatchProgress& progress, BatchObserver& observer, FileResult& result) {
    if (job.Skip) {
        result.Status = FileStatus::Skipped;
        return;
    }
    const std::unique_ptr<DecoderStream> stream = OpenDecoderStream(job.Source);
    if (!stream)
        throw EDecoderError(kSampleNotLoaded);
    result.Channels = stream->Channels();
    result.SampleRate = stream->SampleRate();
    const std::int64_t frameBytes =
        static_cast<std::int64_t>(stream->Channels()) * (stream->BitsPerSample() / 8);
    progress.BytesOpened += stream->LengthBytes();
    ++progress.FilesOpened;

    const std::filesystem::path target(job.Target);
    TempOutput temp(target.parent_path().empty() ? std::filesystem::path(".")
                                                 : target.parent_path());
    JobView view(stop, progress, observer, frameBytes * stream->SampleRate());
    WriteWavFile(*stream, temp.Path(), buffer, view);
    result.Frames = frameBytes > 0 ? view.Written() / frameBytes : 0;
    // A stopped file is shorter than its source: it never takes the target's name.
    if (view.Stopped()) {
        result.Status = FileStatus::Stopped;
        return;
    }
    temp.CommitAs(target);
    result.Status = FileStatus::Converted;
}

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

std::vector<FileResult> RunBatch(const std::vector<FileJob>& jobs, unsigned jobCount,
                                 const std::atomic<bool>& stop, BatchProgress& progress,
                                 BatchObserver& observer) {
    std::vector<FileResult> results(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        results[i].Source = jobs[i].Source;
        results[i].Target = jobs[i].Target;
    }
    progress.FilesTotal = static_cast<int>(jobs.size());
    InitDecoders();
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        std::vector<std::byte> buffer(kDecodeBufferSize);
        while (!stop.load()) {
            const std::size_t index = next++;
            if (index >= jobs.size())
                return;
            FileResult& result = results[index];
            try {
                ConvertOne(jobs[index], buffer, stop, progress, observer, result);
            } catch (const std::exception& error) {
                result.Status = FileStatus::Failed;
                result.Message = error.what();
            }
            ++progress.FilesFinished;
            observer.FileFinished(result);
        }
    };
    const std::size_t threadCount = std::min<std::size_t>(std::max(1u, jobCount), jobs.size());
    std::vector<std::jthread> threads;
    for (std::size_t i = 1; i < threadCount; ++i)
        threads.emplace_back(work);
    if (threadCount > 0)
        work();
    threads.clear();
    return results;
}

} // namespace zent::cli
