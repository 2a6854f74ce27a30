#include "convert/ConversionEngine.h"

#include "convert/FileJob.h"
#include "convert/OutputFile.h"
#include "decode/Decoder.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <unordered_set>

namespace zent {

namespace {

constexpr std::int64_t kMicrosecondsPerSecond = 1000000;
// Waiting jobs look at an outside stop flag this often.
constexpr std::chrono::milliseconds kIdleWait{100};
constexpr std::int64_t kNoFile = -1;

struct SliceTask {
    std::shared_ptr<SlicedFile> File;
    std::size_t Index = 0;
    // The stream of the job that opened the file, for the last slice.
    std::unique_ptr<DecoderStream> Stream;
};

} // namespace

class ConversionEngine::Impl final : public JobContext {
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
    bool KeepsGoing(FileId id) const override {
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

    const EngineSettings& Settings() const override { return FSettings; }

    void Count(FileId id, std::int64_t bytes, std::int64_t fileDone, std::int64_t fileLength,
               std::int64_t bytesPerSecond) override {
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

    std::unique_ptr<DecoderStream> Open(const std::string& source, SampleKind kind) override {
        std::unique_ptr<DecoderStream> stream = FSettings.OpenStream
                                                    ? FSettings.OpenStream(source)
                                                    : OpenDecoderStreamOrThrow(source, kind);
        if (!stream)
            throw EDecoderError(CoreText{CoreTextId::SampleNotLoaded});
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
                report.Text = TextOf(error);
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
        const bool toPipe = FSettings.StandardOutput != nullptr;
        if (!toPipe)
            RefuseSourceAsTarget(file.Source, file.Target);
        OpenedFile opened = OpenFile(*this, file, report);
        SliceContext context{FSettings.Jobs, FilesNotTaken(), MeanOpenedBytes()};
        context.Cuttable = !toPipe && opened.Cuttable();
        FProgress.BytesOpened += opened.Stream->LengthBytes();
        ++FProgress.FilesOpened;
        std::vector<Slice> slices;
        if (context.Cuttable)
            slices = FSettings.PlanSlices ? FSettings.PlanSlices(*opened.Stream, context)
                                          : PlanSlices(*opened.Stream, context);
        if (slices.size() > 1) {
            auto sliced = std::make_shared<SlicedFile>(report.Id, std::move(file), report, opened,
                                                       std::move(slices));
            // This stream knows already that it seeks exactly, so it takes the last slice;
            // the first needs no seek, and so no frame index, on a stream opened afresh.
            const std::size_t last = sliced->SliceCount() - 1;
            std::vector<SliceTask> others;
            for (std::size_t i = 0; i < last; ++i)
                others.push_back({sliced, i, nullptr});
            SliceTask mine{sliced, last, std::move(opened.Stream)};
            opening.Opened(std::move(others));
            RunSlice(mine, buffer);
            return true;
        }
        opening.Opened({});
        if (toPipe)
            ConvertToPipe(*this, file, opened, report, buffer);
        else
            ConvertWhole(*this, file, opened, report, buffer);
        return false;
    }

    std::int64_t MeanOpenedBytes() const {
        const int opened = FProgress.FilesOpened.load();
        return opened > 0 ? FProgress.BytesOpened.load() / opened : 0;
    }

    void RunSlice(SliceTask& task, std::span<std::byte> buffer) {
        if (std::optional<FileReport> report =
                task.File->RunSlice(*this, task.Index, std::move(task.Stream), buffer))
            Ended(*report);
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
