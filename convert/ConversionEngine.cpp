#include "convert/ConversionEngine.h"

#include "convert/ConversionView.h"
#include "convert/OutputFile.h"
#include "convert/WavWriter.h"
#include "decode/Decoder.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <span>
#include <thread>
#include <unordered_set>

namespace zent {

namespace {

constexpr std::int64_t kMicrosecondsPerSecond = 1000000;
// Waiting jobs look at an outside stop flag this often.
constexpr std::chrono::milliseconds kIdleWait{100};
constexpr std::int64_t kNoFile = -1;

// Unwinds a conversion that a stop abandons; its hidden file goes with it.
struct FileAbandoned {};

std::int64_t FrameBytes(const DecoderStream& stream) {
    return static_cast<std::int64_t>(stream.Channels()) * (stream.BitsPerSample() / 8);
}

// A file being converted in slices by several jobs; the job that ends its last slice
// finishes the file.
struct SlicedFile {
    SlicedFile(FileId id, EngineFile file, FileReport report, const DecoderStream& stream,
               std::vector<Slice> slices)
        : Id(id), Job(std::move(file)), Report(std::move(report)), Slices(std::move(slices)),
          Delivered(Slices.size(), 0), Pending(static_cast<int>(Slices.size())),
          Length(stream.LengthBytes()), CodecFrameFrames(stream.CodecFrameFrames()),
          File(Job.Target, Job.Existing) {
        Format.Channels = static_cast<std::uint16_t>(stream.Channels());
        Format.BitsPerSample = static_cast<std::uint16_t>(stream.BitsPerSample());
        Format.SampleRate = static_cast<std::uint32_t>(stream.SampleRate());
        File.Write(BuildWavHeader(Format));
    }

    void Fail(const std::string& message) {
        const std::lock_guard lock(Mutex);
        if (!Failed)
            FailMessage = message;
        Failed = true;
    }

    // The bytes from the start that are in place: whole slices, then the first partial one.
    std::int64_t ContiguousBytes() const {
        std::int64_t total = 0;
        for (std::size_t i = 0; i < Slices.size(); ++i) {
            total += Delivered[i];
            if (Delivered[i] < Slices[i].Count * Format.BlockAlign())
                break;
        }
        return total;
    }

    const FileId Id;
    const EngineFile Job;
    FileReport Report;
    const std::vector<Slice> Slices;
    // Bytes per slice, each written by its own job and read once Pending reached 0.
    std::vector<std::int64_t> Delivered;
    std::atomic<int> Pending;
    std::atomic<std::int64_t> Done{0};
    std::atomic<bool> Failed{false};
    std::atomic<bool> Stopped{false};   // kept as a shorter file
    std::atomic<bool> Abandoned{false}; // left without output
    std::mutex Mutex;
    std::string FailMessage;
    WavFormat Format;
    const std::int64_t Length;
    const std::int64_t CodecFrameFrames;
    OutputFile File; // positioned writes from every slice's job
};

struct SliceTask {
    std::shared_ptr<SlicedFile> File;
    std::size_t Index = 0;
    // The stream of the job that opened the file, for the last slice.
    std::unique_ptr<DecoderStream> Stream;
};

} // namespace

class ConversionEngine::Impl {
public:
    Impl(EngineSettings settings, EngineObserver& observer, EngineProgress& progress)
        : FSettings(std::move(settings)), FObserver(observer), FProgress(progress) {
        FSettings.Jobs = std::max(1u, FSettings.Jobs);
        InitDecoders();
    }

    ~Impl() {
        Stop(std::nullopt);
        Wait();
    }

    FileId Add(EngineFile file) {
        FileId id = 0;
        {
            const std::lock_guard lock(FMutex);
            id = FFiles.size();
            FFiles.push_back(std::move(file));
            if (!FStopped.load())
                FPending.push_back(id);
        }
        FWake.notify_one();
        return id;
    }

    void Order(const std::vector<FileId>& order) {
        const std::lock_guard lock(FMutex);
        const std::unordered_set<FileId> pending(FPending.begin(), FPending.end());
        const std::unordered_set<FileId> named(order.begin(), order.end());
        std::deque<FileId> ordered;
        for (FileId id : order)
            if (pending.contains(id))
                ordered.push_back(id);
        for (FileId id : FPending)
            if (!named.contains(id))
                ordered.push_back(id);
        FPending = std::move(ordered);
    }

    void Close() {
        {
            const std::lock_guard lock(FMutex);
            FClosed = true;
        }
        FWake.notify_all();
    }

    std::vector<FileId> Stop(std::optional<FileId> keep) {
        std::vector<FileId> never;
        {
            const std::lock_guard lock(FMutex);
            if (!FStopped.load()) {
                FKeep.store(keep ? static_cast<std::int64_t>(*keep) : kNoFile);
                FStopped.store(true);
            }
            never.assign(FPending.begin(), FPending.end());
            FPending.clear();
        }
        FWake.notify_all();
        return never;
    }

    void Start(std::size_t threads) {
        for (std::size_t i = 0; i < threads; ++i)
            FThreads.emplace_back([this] { Work(); });
    }

    void Wait() { FThreads.clear(); }

    void Run() {
        Start(FSettings.Jobs - 1);
        Work();
        Wait();
    }

    std::size_t Jobs() const { return FSettings.Jobs; }

private:
    struct Taken {
        std::optional<SliceTask> Task;
        std::optional<FileId> Id;
        EngineFile File;
        std::uint64_t Turn = 0; // files are reported started in the order they were taken
    };

    bool StopRequested() const {
        return FStopped.load() || (FSettings.ExternalStop && FSettings.ExternalStop->load());
    }

    // Whether the file goes on after a block: false for the kept file once stopped; throws
    // for the abandoned ones.
    bool KeepsGoing(FileId id) const {
        if (!StopRequested())
            return true;
        if (FStopped.load() && FKeep.load() == static_cast<std::int64_t>(id))
            return false;
        throw FileAbandoned{};
    }

    // Nothing in the result: the batch is over (or stopped) for this job.
    Taken Take() {
        std::unique_lock lock(FMutex);
        for (;;) {
            // Slices still go out after a stop: they end at once and finish their file.
            if (!FTasks.empty()) {
                Taken work{std::move(FTasks.front()), std::nullopt, {}, 0};
                FTasks.pop_front();
                return work;
            }
            if (StopRequested())
                return {};
            if (!FPending.empty()) {
                const FileId id = FPending.front();
                FPending.pop_front();
                ++FOpening;
                return {std::nullopt, id, FFiles[id], FTaken++};
            }
            // A job still opening a file may yet cut it into slices for this one.
            if (FClosed && FOpening == 0)
                return {};
            FWake.wait_for(lock, kIdleWait);
        }
    }

    std::size_t FilesNotTaken() {
        const std::lock_guard lock(FMutex);
        return FPending.size();
    }

    // The file taken last by a job is open; tasks are its slices for other jobs.
    void Opened(std::vector<SliceTask> tasks) {
        {
            const std::lock_guard lock(FMutex);
            --FOpening;
            for (SliceTask& task : tasks)
                FTasks.push_back(std::move(task));
        }
        FWake.notify_all();
    }

    // Calls Opened once on every path, errors included.
    class OpeningGuard {
    public:
        explicit OpeningGuard(Impl& engine) : FEngine(engine) {}
        ~OpeningGuard() {
            if (!FDone)
                FEngine.Opened({});
        }
        OpeningGuard(const OpeningGuard&) = delete;
        OpeningGuard& operator=(const OpeningGuard&) = delete;
        void Opened(std::vector<SliceTask> tasks) {
            FDone = true;
            FEngine.Opened(std::move(tasks));
        }

    private:
        Impl& FEngine;
        bool FDone = false;
    };

    // One job's view of a whole-file conversion: no texts, no event pump.
    class JobView final : public ConversionView {
    public:
        JobView(Impl& engine, FileId id, std::int64_t length, std::int64_t bytesPerSecond)
            : FEngine(engine), FId(id), FLength(length), FBytesPerSecond(bytesPerSecond) {}

        void SetStatusText(const std::string&) override {}
        void SetFileProgress(int) override {}
        void AddTotalProgress(std::int64_t bytes) override {
            FWritten += bytes;
            FEngine.Count(FId, bytes, FWritten, FLength, FBytesPerSecond);
        }
        void ProcessEvents() override {}
        bool StopRequested() const override { return !FEngine.KeepsGoing(FId); }

        std::int64_t Written() const { return FWritten; }

    private:
        Impl& FEngine;
        FileId FId;
        std::int64_t FLength;
        std::int64_t FBytesPerSecond;
        std::int64_t FWritten = 0;
    };

    void Count(FileId id, std::int64_t bytes, std::int64_t fileDone, std::int64_t fileLength,
               std::int64_t bytesPerSecond) {
        FProgress.BytesDone += bytes;
        if (bytesPerSecond > 0)
            FProgress.AudioMicroseconds += bytes * kMicrosecondsPerSecond / bytesPerSecond;
        FObserver.BytesWritten(id, bytes, fileDone, fileLength);
    }

    void Ended(const FileReport& report) {
        ++FProgress.FilesFinished;
        FObserver.FileEnded(report);
    }

    void Work() {
        std::vector<std::byte> buffer;
        for (;;) {
            Taken work = Take();
            if (!work.Task && !work.Id)
                return;
            // Only a job that gets work needs a buffer.
            if (buffer.empty())
                buffer.resize(FSettings.BufferSize);
            if (work.Task)
                RunSlice(*work.Task, buffer);
            else
                RunFile(*work.Id, std::move(work.File), work.Turn, buffer);
        }
    }

    std::unique_ptr<DecoderStream> Open(const std::string& source) {
        std::unique_ptr<DecoderStream> stream =
            FSettings.OpenStream ? FSettings.OpenStream(source) : OpenDecoderStreamOrThrow(source);
        if (!stream)
            throw EDecoderError(kSampleNotLoaded);
        return stream;
    }

    // The observer hears of files in the order they were taken, whichever job is quicker.
    void ReportStarted(FileId id, std::uint64_t turn) {
        {
            std::unique_lock lock(FTurnMutex);
            FTurnDone.wait(lock, [&] { return FStartedTurns == turn; });
        }
        // The next turn waits for this one, errors included.
        struct NextTurn {
            Impl& Engine;
            ~NextTurn() {
                {
                    const std::lock_guard lock(Engine.FTurnMutex);
                    ++Engine.FStartedTurns;
                }
                Engine.FTurnDone.notify_all();
            }
        } next{*this};
        FObserver.FileStarted(id);
    }

    void RunFile(FileId id, EngineFile file, std::uint64_t turn, std::span<std::byte> buffer) {
        FileReport report;
        report.Id = id;
        {
            OpeningGuard opening(*this);
            try {
                ReportStarted(id, turn);
                // A file in slices is finished by whichever job ends its last slice.
                if (ConvertFileJob(file, report, opening, buffer))
                    return;
            } catch (const FileAbandoned&) {
                report.Outcome = FileOutcome::Abandoned;
            } catch (const ETargetTaken&) {
                report.Outcome = FileOutcome::Skipped;
            } catch (const std::exception& error) {
                report.Outcome = FileOutcome::Failed;
                report.Message = error.what();
            }
        }
        Ended(report);
    }

    // True when the file went to slices.
    bool ConvertFileJob(EngineFile& file, FileReport& report, OpeningGuard& opening,
                        std::span<std::byte> buffer) {
        if (file.Skip) {
            report.Outcome = FileOutcome::Skipped;
            return false;
        }
        if (StopRequested())
            throw FileAbandoned{};
        RefuseSourceAsTarget(file.Source, file.Target);
        std::unique_ptr<DecoderStream> stream = Open(file.Source);
        report.Channels = stream->Channels();
        report.SampleRate = stream->SampleRate();
        if (stream->EndsWithoutEndMark())
            report.Warning = kNoEndMarkWarning;
        const SliceContext context{FSettings.Jobs, FilesNotTaken(), MeanOpenedBytes()};
        FProgress.BytesOpened += stream->LengthBytes();
        ++FProgress.FilesOpened;
        std::vector<Slice> slices = FSettings.PlanSlices ? FSettings.PlanSlices(*stream, context)
                                                         : PlanSlices(*stream, context);
        if (slices.size() > 1) {
            auto sliced = std::make_shared<SlicedFile>(report.Id, std::move(file), report, *stream,
                                                       std::move(slices));
            // This stream knows already that it seeks exactly, so it takes the last slice;
            // the first needs no seek, and so no frame index, on a stream opened afresh.
            const std::size_t last = sliced->Slices.size() - 1;
            std::vector<SliceTask> others;
            for (std::size_t i = 0; i < last; ++i)
                others.push_back({sliced, i, nullptr});
            SliceTask mine{sliced, last, std::move(stream)};
            opening.Opened(std::move(others));
            RunSlice(mine, buffer);
            return true;
        }
        opening.Opened({});
        ConvertWhole(file, *stream, report, buffer);
        return false;
    }

    std::int64_t MeanOpenedBytes() const {
        const int opened = FProgress.FilesOpened.load();
        return opened > 0 ? FProgress.BytesOpened.load() / opened : 0;
    }

    void ConvertWhole(const EngineFile& file, DecoderStream& stream, FileReport& report,
                      std::span<std::byte> buffer) {
        const std::int64_t frameBytes = FrameBytes(stream);
        JobView view(*this, report.Id, stream.LengthBytes(), frameBytes * stream.SampleRate());
        std::filesystem::path taken = file.Target;
        const WavWriterOptions options{.MaxDataBytes = FSettings.MaxDataBytes,
                                       .KeepStoppedFile = true,
                                       .Existing = file.Existing,
                                       .TakenTarget = &taken};
        try {
            const bool whole =
                WriteWavFile(stream, file.Source, file.Target, buffer, view, options);
            report.Outcome = whole ? FileOutcome::Converted : FileOutcome::Stopped;
        } catch (const EWavSizeLimitError& error) {
            report.Outcome = FileOutcome::Failed;
            report.Message = error.what();
        }
        report.Target = taken.native();
        report.Frames = frameBytes > 0 ? view.Written() / frameBytes : 0;
    }

    void RunSlice(SliceTask& task, std::span<std::byte> buffer) {
        SlicedFile& file = *task.File;
        try {
            DecodeSlice(file, task, buffer);
        } catch (const FileAbandoned&) {
            file.Abandoned = true;
        } catch (const std::exception& error) {
            file.Fail(error.what());
        }
        if (--file.Pending == 0)
            FinishSliced(file);
    }

    void DecodeSlice(SlicedFile& file, SliceTask& task, std::span<std::byte> buffer) {
        if (file.Failed)
            return;
        if (!KeepsGoing(file.Id)) {
            file.Stopped = true;
            return;
        }
        const Slice& slice = file.Slices[task.Index];
        const bool last = task.Index + 1 == file.Slices.size();
        std::unique_ptr<DecoderStream> stream = std::move(task.Stream);
        if (!stream)
            stream = Open(file.Job.Source);
        if (slice.First != 0)
            stream->SeekToFrame(slice.First);
        const std::int64_t frameBytes = file.Format.BlockAlign();
        const std::int64_t bytesPerSecond = frameBytes * file.Format.SampleRate;
        const std::size_t request = buffer.size() - buffer.size() % frameBytes;
        const std::int64_t wanted = slice.Count * frameBytes;
        std::uint64_t offset = kWavHeaderSize + slice.First * frameBytes;
        std::int64_t& delivered = file.Delivered[task.Index];
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
            const auto bytes = static_cast<std::int64_t>(received);
            Count(file.Id, bytes, file.Done += bytes, file.Length, bytesPerSecond);
            if (!KeepsGoing(file.Id)) {
                file.Stopped = true;
                return;
            }
            if (file.Failed)
                return;
        }
        if (!last && delivered < wanted)
            throw EDecoderError(SourceEndsEarlyMessage(
                file.Job.Source,
                static_cast<double>(slice.First * frameBytes + delivered) / bytesPerSecond,
                static_cast<double>(file.Length) / bytesPerSecond));
    }

    void FinishSliced(SlicedFile& file) {
        FileReport& report = file.Report;
        const std::int64_t frameBytes = file.Format.BlockAlign();
        try {
            if (file.Failed)
                throw Error(file.FailMessage);
            if (file.Abandoned) {
                report.Outcome = FileOutcome::Abandoned;
            } else {
                // Every slice but the last ended where it should, the last where the data
                // did; a stopped file keeps what is in place from the start.
                const bool stopped = file.Stopped;
                const std::int64_t total = file.ContiguousBytes();
                report.Frames = total / frameBytes;
                const WavEnding ending{file.Format, static_cast<std::uint64_t>(total),
                                       file.Length, file.CodecFrameFrames,
                                       stopped,     false,
                                       true};
                FinishWavFile(file.File, ending, file.Job.Source);
                report.Target = file.File.Target().native();
                report.Outcome = stopped ? FileOutcome::Stopped : FileOutcome::Converted;
            }
        } catch (const ETargetTaken&) {
            report.Outcome = FileOutcome::Skipped;
            report.Frames = 0;
        } catch (const std::exception& error) {
            report.Outcome = FileOutcome::Failed;
            report.Message = error.what();
            report.Frames = 0;
        }
        Ended(report);
    }

    EngineSettings FSettings;
    EngineObserver& FObserver;
    EngineProgress& FProgress;
    std::atomic<bool> FStopped{false};
    std::atomic<std::int64_t> FKeep{kNoFile};
    std::mutex FMutex;
    std::condition_variable FWake;
    std::deque<EngineFile> FFiles; // by FileId
    std::deque<FileId> FPending;
    std::deque<SliceTask> FTasks;
    int FOpening = 0;
    bool FClosed = false;
    std::uint64_t FTaken = 0; // files taken so far
    std::mutex FTurnMutex;
    std::condition_variable FTurnDone;
    std::uint64_t FStartedTurns = 0;
    std::vector<std::jthread> FThreads; // last: joined before the members they use go
};

ConversionEngine::ConversionEngine(EngineSettings settings, EngineObserver& observer,
                                   EngineProgress& progress)
    : F(std::make_unique<Impl>(std::move(settings), observer, progress)) {}

ConversionEngine::~ConversionEngine() = default;

FileId ConversionEngine::Add(EngineFile file) {
    return F->Add(std::move(file));
}

void ConversionEngine::Order(const std::vector<FileId>& order) {
    F->Order(order);
}

void ConversionEngine::Close() {
    F->Close();
}

std::vector<FileId> ConversionEngine::Stop(std::optional<FileId> keep) {
    return F->Stop(keep);
}

void ConversionEngine::Start() {
    F->Start(F->Jobs());
}

void ConversionEngine::Wait() {
    F->Wait();
}

void ConversionEngine::Run() {
    F->Run();
}

} // namespace zent
