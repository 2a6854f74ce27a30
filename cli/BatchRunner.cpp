#include "cli/BatchRunner.h"

#include "convert/ConversionView.h"
#include "convert/OutputFile.h"
#include "convert/WavWriter.h"
#include "decode/Decoder.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace zent::cli {

namespace {

constexpr std::int64_t kMicrosecondsPerSecond = 1000000;
// Each job's decode buffer: small enough that a block is still in the core's own cache when
// it is written out, which counts once two jobs share the memory bus; the bytes written do
// not depend on it.
constexpr std::size_t kJobBufferSize = 128 * 1024;
// Waiting jobs look at the stop flag this often.
constexpr std::chrono::milliseconds kIdleWait{100};

std::int64_t FrameBytes(const DecoderStream& stream) {
    return static_cast<std::int64_t>(stream.Channels()) * (stream.BitsPerSample() / 8);
}

// Moves the shared counters for every block a job writes.
class BlockCounter {
public:
    BlockCounter(BatchProgress& progress, BatchObserver& observer, std::int64_t bytesPerSecond)
        : FProgress(progress), FObserver(observer), FBytesPerSecond(bytesPerSecond) {}

    void Add(std::int64_t bytes) {
        FProgress.BytesDone += bytes;
        if (FBytesPerSecond > 0)
            FProgress.AudioMicroseconds += bytes * kMicrosecondsPerSecond / FBytesPerSecond;
        FObserver.BlockWritten();
    }

private:
    BatchProgress& FProgress;
    BatchObserver& FObserver;
    std::int64_t FBytesPerSecond;
};

// One job's view of a whole-file conversion: no texts, no event pump; bytes into the shared
// counters, and the stop flag shared by all jobs.
class JobView final : public ConversionView {
public:
    JobView(const std::atomic<bool>& stop, BlockCounter counter) : FStop(stop), FCounter(counter) {}

    void SetStatusText(const std::string&) override {}
    void SetFileProgress(int) override {}
    void AddTotalProgress(std::int64_t bytes) override {
        FWritten += bytes;
        FCounter.Add(bytes);
    }
    void ProcessEvents() override {}
    bool StopRequested() const override { return FStop.load(); }

    std::int64_t Written() const { return FWritten; }

private:
    const std::atomic<bool>& FStop;
    BlockCounter FCounter;
    std::int64_t FWritten = 0;
};

// A file being converted in slices by several jobs; the job that ends its last slice
// finishes the file.
struct SlicedFile {
    SlicedFile(const FileJob& job, FileResult& result, const DecoderStream& stream,
               std::vector<Slice> slices)
        : Job(job), Result(result), Slices(std::move(slices)), Delivered(Slices.size(), 0),
          Pending(static_cast<int>(Slices.size())), Length(stream.LengthBytes()),
          CodecFrameFrames(stream.CodecFrameFrames()), File(job.Target, job.Existing) {
        Format.Channels = static_cast<std::uint16_t>(stream.Channels());
        Format.BitsPerSample = static_cast<std::uint16_t>(stream.BitsPerSample());
        Format.SampleRate = static_cast<std::uint32_t>(stream.SampleRate());
    }

    void Fail(const std::string& message) {
        const std::lock_guard lock(Mutex);
        if (!Failed)
            FailMessage = message;
        Failed = true;
    }

    const FileJob& Job;
    FileResult& Result;
    const std::vector<Slice> Slices;
    std::vector<std::int64_t> Delivered; // bytes, per slice
    std::atomic<int> Pending;
    std::atomic<bool> Failed{false};
    std::atomic<bool> Stopped{false};
    std::mutex Mutex;
    std::string FailMessage;
    WavFormat Format;
    std::int64_t Length;
    std::int64_t CodecFrameFrames;
    OutputFile File; // hidden until committed; positioned writes from every slice's job
};

struct SliceTask {
    std::shared_ptr<SlicedFile> File;
    std::size_t Index = 0;
    // The stream of the job that opened the file, for the last slice.
    std::unique_ptr<DecoderStream> Stream;
};

// Hands out work: slices of files already begun first, then the next file.
class WorkQueue {
public:
    WorkQueue(std::size_t fileCount, const std::atomic<bool>& stop)
        : FFileCount(fileCount), FStop(stop) {}

    struct Work {
        std::optional<SliceTask> Task;
        std::optional<std::size_t> FileIndex;
    };

    // Nothing in the result: the batch is over (or stopped) for this job.
    Work Take() {
        std::unique_lock lock(FMutex);
        for (;;) {
            // Slices still go out after a stop: they end at once and finish their file.
            if (!FTasks.empty()) {
                Work work{std::move(FTasks.front()), std::nullopt};
                FTasks.pop_front();
                return work;
            }
            if (FStop.load())
                return {};
            if (FNextFile < FFileCount) {
                ++FOpening;
                return {std::nullopt, FNextFile++};
            }
            // A job still opening a file may yet cut it into slices for this one.
            if (FOpening == 0)
                return {};
            FWake.wait_for(lock, kIdleWait);
        }
    }

    std::size_t FilesNotTaken() {
        const std::lock_guard lock(FMutex);
        return FFileCount - FNextFile;
    }

    // The file taken last by this job is open; tasks are its slices for other jobs.
    void Opened(std::vector<SliceTask> tasks) {
        {
            const std::lock_guard lock(FMutex);
            --FOpening;
            for (SliceTask& task : tasks)
                FTasks.push_back(std::move(task));
        }
        FWake.notify_all();
    }

private:
    std::size_t FFileCount;
    const std::atomic<bool>& FStop;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::deque<SliceTask> FTasks;
    std::size_t FNextFile = 0;
    int FOpening = 0;
};

// Calls Opened once on every path, errors included.
class OpeningGuard {
public:
    explicit OpeningGuard(WorkQueue& queue) : FQueue(queue) {}
    ~OpeningGuard() {
        if (!FDone)
            FQueue.Opened({});
    }
    void Opened(std::vector<SliceTask> tasks) {
        FDone = true;
        FQueue.Opened(std::move(tasks));
    }

private:
    WorkQueue& FQueue;
    bool FDone = false;
};

class Batch {
public:
    Batch(const std::vector<FileJob>& jobs, const BatchSettings& settings,
          const std::atomic<bool>& stop, BatchProgress& progress, BatchObserver& observer,
          std::vector<FileResult>& results)
        : FJobs(jobs), FSettings(settings), FStop(stop), FProgress(progress), FObserver(observer),
          FResults(results), FQueue(jobs.size(), stop) {}

    void Work() {
        std::vector<std::byte> buffer;
        for (;;) {
            WorkQueue::Work work = FQueue.Take();
            // Only a job that gets work needs a buffer.
            if ((work.Task || work.FileIndex) && buffer.empty())
                buffer.resize(kJobBufferSize);
            if (work.Task)
                RunSlice(*work.Task, buffer);
            else if (work.FileIndex)
                RunFile(*work.FileIndex, buffer);
            else
                return;
        }
    }

private:
    void Finished(FileResult& result) {
        ++FProgress.FilesFinished;
        FObserver.FileFinished(result);
    }

    std::unique_ptr<DecoderStream> Open(const std::string& source) {
        std::unique_ptr<DecoderStream> stream =
            FSettings.OpenStream ? FSettings.OpenStream(source) : OpenDecoderStreamOrThrow(source);
        if (!stream)
            throw EDecoderError(kSampleNotLoaded);
        return stream;
    }

    void RunFile(std::size_t index, std::span<std::byte> buffer) {
        FileResult& result = FResults[index];
        OpeningGuard opening(FQueue);
        try {
            // A file in slices is finished by whichever job ends its last slice.
            if (ConvertFileJob(FJobs[index], result, opening, buffer))
                return;
        } catch (const ETargetTaken&) {
            result.Status = FileStatus::Skipped;
        } catch (const std::exception& error) {
            result.Status = FileStatus::Failed;
            result.Message = error.what();
        }
        Finished(result);
    }

    // True when the file went to slices.
    bool ConvertFileJob(const FileJob& job, FileResult& result, OpeningGuard& opening,
                        std::span<std::byte> buffer) {
        if (job.Skip) {
            result.Status = FileStatus::Skipped;
            return false;
        }
        RefuseSourceAsTarget(job.Source, job.Target);
        std::unique_ptr<DecoderStream> stream = Open(job.Source);
        result.Channels = stream->Channels();
        result.SampleRate = stream->SampleRate();
        if (stream->EndsWithoutEndMark())
            result.Warning = kNoEndMarkWarning;
        const SliceContext context{FSettings.Jobs, FQueue.FilesNotTaken(), MeanOpenedBytes()};
        FProgress.BytesOpened += stream->LengthBytes();
        ++FProgress.FilesOpened;
        std::vector<Slice> slices = FSettings.PlanSlices ? FSettings.PlanSlices(*stream, context)
                                                         : PlanSlices(*stream, context);
        if (slices.size() > 1) {
            auto file = std::make_shared<SlicedFile>(job, result, *stream, std::move(slices));
            // This stream knows already that it seeks exactly, so it takes the last slice;
            // the first needs no seek, and so no frame index, on a stream opened afresh.
            const std::size_t last = file->Slices.size() - 1;
            std::vector<SliceTask> others;
            for (std::size_t i = 0; i < last; ++i)
                others.push_back({file, i, nullptr});
            SliceTask mine{file, last, std::move(stream)};
            opening.Opened(std::move(others));
            RunSlice(mine, buffer);
            return true;
        }
        opening.Opened({});
        ConvertWhole(job, *stream, result, buffer);
        return false;
    }

    std::int64_t MeanOpenedBytes() const {
        const int opened = FProgress.FilesOpened.load();
        return opened > 0 ? FProgress.BytesOpened.load() / opened : 0;
    }

    void ConvertWhole(const FileJob& job, DecoderStream& stream, FileResult& result,
                      std::span<std::byte> buffer) {
        const std::int64_t frameBytes = FrameBytes(stream);
        JobView view(FStop, BlockCounter(FProgress, FObserver, frameBytes * stream.SampleRate()));
        // A stopped file is not kept: the batch is to be run again, and the target stays as
        // it was.
        std::filesystem::path taken = job.Target;
        const bool whole = WriteWavFile(
            stream, job.Source, job.Target, buffer, view,
            {.KeepStoppedFile = false, .Existing = job.Existing, .TakenTarget = &taken});
        result.Target = taken.native();
        result.Status = whole ? FileStatus::Converted : FileStatus::Stopped;
        result.Frames = frameBytes > 0 ? view.Written() / frameBytes : 0;
    }

    void RunSlice(SliceTask& task, std::span<std::byte> buffer) {
        SlicedFile& file = *task.File;
        try {
            DecodeSlice(file, task, buffer);
        } catch (const std::exception& error) {
            file.Fail(error.what());
        }
        if (--file.Pending == 0)
            FinishSliced(file);
    }

    void DecodeSlice(SlicedFile& file, SliceTask& task, std::span<std::byte> buffer) {
        if (file.Failed || FStop.load())
            return;
        const Slice& slice = file.Slices[task.Index];
        const bool last = task.Index + 1 == file.Slices.size();
        std::unique_ptr<DecoderStream> stream = std::move(task.Stream);
        if (!stream)
            stream = Open(file.Job.Source);
        if (slice.First != 0)
            stream->SeekToFrame(slice.First);
        const std::int64_t frameBytes = file.Format.BlockAlign();
        BlockCounter counter(FProgress, FObserver, frameBytes * file.Format.SampleRate);
        const std::size_t request = buffer.size() - buffer.size() % frameBytes;
        std::int64_t wanted = slice.Count * frameBytes;
        std::uint64_t offset = kWavHeaderSize + slice.First * frameBytes;
        std::int64_t delivered = 0;
        while (last || delivered < wanted) {
            const std::size_t ask =
                last
                    ? request
                    : static_cast<std::size_t>(std::min<std::int64_t>(request, wanted - delivered));
            const std::size_t received = ReadGuarded(*stream, buffer.first(ask), file.Job.Source);
            if (received == 0)
                break;
            file.File.WriteAt(offset, buffer.first(received));
            offset += received;
            delivered += static_cast<std::int64_t>(received);
            counter.Add(static_cast<std::int64_t>(received));
            if (FStop.load()) {
                file.Stopped = true;
                return;
            }
            if (file.Failed)
                return;
        }
        if (!last && delivered < wanted)
            throw EDecoderError(EndsEarlyMessage(file, slice.First * frameBytes + delivered));
        file.Delivered[task.Index] = delivered;
    }

    static std::string EndsEarlyMessage(const SlicedFile& file, std::int64_t decodedBytes) {
        const double byteRate = file.Format.ByteRate();
        return SourceEndsEarlyMessage(file.Job.Source, static_cast<double>(decodedBytes) / byteRate,
                                      static_cast<double>(file.Length) / byteRate);
    }

    void FinishSliced(SlicedFile& file) {
        FileResult& result = file.Result;
        std::int64_t total = 0;
        for (std::int64_t bytes : file.Delivered)
            total += bytes;
        const std::int64_t frameBytes = file.Format.BlockAlign();
        result.Frames = total / frameBytes;
        try {
            if (file.Failed)
                throw Error(file.FailMessage);
            if (file.Stopped || FStop.load()) {
                result.Status = FileStatus::Stopped;
            } else {
                // Every slice but the last ended where it should; the last where the data did.
                // As for a whole file, the end may be one codec frame short of the length.
                if (total + file.CodecFrameFrames * frameBytes < file.Length)
                    throw EDecoderError(EndsEarlyMessage(file, total));
                WavHeaderBytes header = BuildWavHeader(file.Format);
                const auto data = static_cast<std::uint32_t>(total);
                const auto riff = LittleEndian32(data + kWavRiffOverhead);
                const auto dataSize = LittleEndian32(data);
                std::copy(riff.begin(), riff.end(), header.begin() + kWavRiffSizeOffset);
                std::copy(dataSize.begin(), dataSize.end(), header.begin() + kWavDataSizeOffset);
                file.File.WriteAt(0, header);
                file.File.Truncate(kWavHeaderSize + static_cast<std::uint64_t>(total));
                file.File.Commit();
                result.Target = file.File.Target().native();
                result.Status = FileStatus::Converted;
            }
        } catch (const ETargetTaken&) {
            result.Status = FileStatus::Skipped;
        } catch (const std::exception& error) {
            result.Status = FileStatus::Failed;
            result.Message = error.what();
        }
        Finished(result);
    }

    const std::vector<FileJob>& FJobs;
    const BatchSettings& FSettings;
    const std::atomic<bool>& FStop;
    BatchProgress& FProgress;
    BatchObserver& FObserver;
    std::vector<FileResult>& FResults;
    WorkQueue FQueue;
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

std::vector<FileResult> RunBatch(const std::vector<FileJob>& jobs, const BatchSettings& settings,
                                 const std::atomic<bool>& stop, BatchProgress& progress,
                                 BatchObserver& observer) {
    std::vector<FileResult> results(jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        results[i].Source = jobs[i].Source;
        results[i].Target = jobs[i].Target;
    }
    // Written only when the caller left it unset: a progress display may be reading it.
    if (progress.FilesTotal != static_cast<int>(jobs.size()))
        progress.FilesTotal = static_cast<int>(jobs.size());
    InitDecoders();
    Batch batch(jobs, settings, stop, progress, observer, results);
    // As many threads as jobs even for fewer files: the others may get slices of them.
    const std::size_t threadCount = jobs.empty() ? 0 : std::max(1u, settings.Jobs);
    {
        std::vector<std::jthread> threads;
        for (std::size_t i = 1; i < threadCount; ++i)
            threads.emplace_back([&batch] { batch.Work(); });
        if (threadCount > 0)
            batch.Work();
    }
    return results;
}

} // namespace zent::cli
