#include "convert/ConversionEngine.h"

#include "convert/ConversionView.h"
#include "convert/OutputFile.h"
#include "convert/WavWriter.h"
#include "decode/Decoder.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <span>
#include <thread>
#include <unordered_set>

namespace zent {

namespace {

// Adds a stream's warnings that the report's text lacks, in the order found: a stream finds
// some only while it is decoded, and each slice of a file has a stream of its own.
void AddWarnings(std::string& joined, const DecoderStream& stream) {
    for (const std::string& warning : stream.Warnings())
        if (joined.find(warning) == std::string::npos)
            joined += (joined.empty() ? "" : "; ") + warning;
}

constexpr std::int64_t kMicrosecondsPerSecond = 1000000;
// Waiting jobs look at an outside stop flag this often.
constexpr std::chrono::milliseconds kIdleWait{100};
constexpr std::int64_t kNoFile = -1;

// Unwinds a conversion that a stop abandons; its hidden file goes with it.
struct FileAbandoned {};

constexpr std::int64_t kAnyFrames = std::numeric_limits<std::int64_t>::max();
// How the output names standard output in messages.
constexpr const char* kStandardOutputName = "standard output";

std::int64_t FrameBytes(const DecoderStream& stream) {
    return static_cast<std::int64_t>(stream.Channels()) * (stream.BitsPerSample() / 8);
}

WavFormat SourceFormat(const DecoderStream& stream) {
    WavFormat format;
    format.Channels = static_cast<std::uint16_t>(stream.Channels());
    format.BitsPerSample = static_cast<std::uint16_t>(stream.BitsPerSample());
    format.SampleRate = static_cast<std::uint32_t>(stream.SampleRate());
    return format;
}

// The output of a file whose samples are reshaped on the way (see OutputFormat): its header
// and what follows the data.
struct ShapedOutput {
    WavLayout Layout;
    OutputFormat Output;
    std::vector<std::byte> InfoChunk;
};

// Writes to standard output in order; a failed write (a reader gone, a full disk) throws.
class PipeWriter {
public:
    explicit PipeWriter(std::ostream& out) : FOut(out) {}
    void Write(std::span<const std::byte> bytes) {
        errno = 0;
        FOut.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        Check();
    }
    void Flush() {
        FOut.flush();
        Check();
    }

private:
    void Check() const {
        if (!FOut)
            throw EStreamError(
                StreamWriteErrorMessage(kStandardOutputName, errno != 0 ? errno : EIO));
    }
    std::ostream& FOut;
};

// A file being converted in slices by several jobs; the job that ends its last slice
// finishes the file.
struct SlicedFile {
    SlicedFile(FileId id, EngineFile file, FileReport report, const DecoderStream& stream,
               std::vector<Slice> slices, std::optional<ShapedOutput> shaped)
        : Id(id), Job(std::move(file)), Report(std::move(report)), Slices(std::move(slices)),
          Delivered(Slices.size(), 0), Pending(static_cast<int>(Slices.size())),
          Format(SourceFormat(stream)), Kind(stream.Kind()), Shaped(std::move(shaped)),
          Length(stream.LengthBytes()), CodecFrameFrames(stream.CodecFrameFrames()),
          Layout(Shaped ? Shaped->Layout : StreamLayout(stream)), Warnings(Slices.size()),
          File(Job.Target, Job.Existing) {
        File.Write(Layout.UnfinishedHeader());
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
    // Source bytes per slice, each written by its own job and read once Pending reached 0.
    std::vector<std::int64_t> Delivered;
    std::atomic<int> Pending;
    std::atomic<std::int64_t> Done{0};
    std::atomic<bool> Failed{false};
    std::atomic<bool> Stopped{false};   // kept as a shorter file
    std::atomic<bool> Abandoned{false}; // left without output
    std::mutex Mutex;
    std::string FailMessage;
    const WavFormat Format; // the source's
    const SampleKind Kind;  // what every slice's stream delivers
    const std::optional<ShapedOutput> Shaped;
    const std::int64_t Length;
    const std::int64_t CodecFrameFrames;
    const WavLayout Layout; // of the output
    // Each slice's stream's warnings, and a check of the data the slices left in place.
    std::vector<std::vector<std::string>> Warnings;
    std::unique_ptr<DataCheck> Check;
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

    std::unique_ptr<DecoderStream> Open(const std::string& source,
                                        SampleKind kind = SampleKind::Int16) {
        std::unique_ptr<DecoderStream> stream = FSettings.OpenStream
                                                    ? FSettings.OpenStream(source)
                                                    : OpenDecoderStreamOrThrow(source, kind);
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
        const bool toPipe = FSettings.StandardOutput != nullptr;
        if (!toPipe)
            RefuseSourceAsTarget(file.Source, file.Target);
        const OutputFormat& asked = FSettings.Output;
        // The plain path writes a lossless source's own samples, unless a format was chosen.
        const SampleKind plainKind = asked.SourceDepth ? SampleKind::Source : SampleKind::Int16;
        std::unique_ptr<DecoderStream> stream =
            Open(file.Source, asked.IsDefault() ? plainKind : SampleKind::Float32);
        const OutputFormat out = asked.ForSource(stream->SourceBits());
        std::optional<SampleShaper> shaper;
        if (!asked.IsPlainFor(stream->Channels(), stream->SampleRate()))
            shaper.emplace(stream->Channels(), stream->SampleRate(), out);
        else if (stream->Kind() == SampleKind::Float32)
            stream = Open(file.Source, plainKind);
        report.Channels = shaper ? shaper->Channels() : stream->Channels();
        report.SampleRate = shaper ? shaper->Rate() : stream->SampleRate();
        AddWarnings(report.Warning, *stream);
        std::optional<ShapedOutput> shaped;
        if (shaper)
            shaped =
                ShapedOutput{shaper->Layout(), out,
                             out.Tags ? BuildInfoChunk(stream->Tags()) : std::vector<std::byte>()};
        SliceContext context{FSettings.Jobs, FilesNotTaken(), MeanOpenedBytes()};
        context.Cuttable =
            !toPipe && (!shaper || (shaper->Cuttable() && FitsOneFile(*stream, *shaped)));
        FProgress.BytesOpened += stream->LengthBytes();
        ++FProgress.FilesOpened;
        std::vector<Slice> slices;
        if (context.Cuttable)
            slices = FSettings.PlanSlices ? FSettings.PlanSlices(*stream, context)
                                          : PlanSlices(*stream, context);
        if (toPipe) {
            opening.Opened({});
            ConvertToPipe(file, *stream, shaper ? &*shaper : nullptr, shaped, report, buffer);
            AddWarnings(report.Warning, *stream);
            return false;
        }
        if (slices.size() > 1) {
            auto sliced = std::make_shared<SlicedFile>(report.Id, std::move(file), report, *stream,
                                                       std::move(slices), std::move(shaped));
            if (!sliced->Shaped)
                sliced->Check = stream->NewDataCheck();
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
        if (shaper)
            ConvertShaped(file, *stream, *shaper, *shaped, report);
        else
            ConvertWhole(file, *stream, report, buffer);
        AddWarnings(report.Warning, *stream);
        return false;
    }

    // Whether the reshaped data of the whole file fits the WAV sizes, so that slices can
    // be written at their places.
    bool FitsOneFile(const DecoderStream& stream, const ShapedOutput& shaped) const {
        const std::int64_t frames =
            stream.LengthBytes() / std::max<std::int64_t>(1, FrameBytes(stream));
        const std::uint64_t bytes = static_cast<std::uint64_t>(frames) * shaped.Layout.BlockAlign();
        return bytes <= std::min(FSettings.MaxDataBytes,
                                 shaped.Layout.MaxDataBytes(shaped.InfoChunk.size() + 1));
    }

    // A whole file whose samples are reshaped: read as float, mixed, resampled and written
    // in the output's format, block by block.
    void ConvertShaped(const EngineFile& file, DecoderStream& stream, SampleShaper& shaper,
                       const ShapedOutput& shaped, FileReport& report) {
        const WavLayout& layout = shaped.Layout;
        const std::uint64_t maxData =
            std::min(FSettings.MaxDataBytes, layout.MaxDataBytes(shaped.InfoChunk.size() + 1)) /
            layout.BlockAlign() * layout.BlockAlign();
        FloatFrameReader reader(stream, FSettings.BufferSize, file.Source);
        const std::int64_t sourceFrameBytes = reader.SourceFrameBytes();
        const std::int64_t bytesPerSecond = sourceFrameBytes * stream.SampleRate();
        const std::int64_t length = stream.LengthBytes();
        OutputFile out(file.Target, file.Existing);
        out.Write(layout.UnfinishedHeader());
        std::uint64_t written = 0;
        std::int64_t sourceBytes = 0;
        bool cut = false;
        bool stopped = false;
        // False when the data reached the size limit.
        const auto put = [&](std::span<const std::byte> bytes) {
            const std::uint64_t kept = std::min<std::uint64_t>(bytes.size(), maxData - written);
            out.Write(bytes.first(static_cast<std::size_t>(kept)));
            written += kept;
            return kept == bytes.size();
        };
        for (;;) {
            const std::span<const float> frames = reader.Next(kAnyFrames);
            if (frames.empty())
                break;
            const std::int64_t bytes =
                static_cast<std::int64_t>(frames.size()) / stream.Channels() * sourceFrameBytes;
            sourceBytes += bytes;
            if (!put(shaper.Process(frames))) {
                cut = true;
                break;
            }
            Count(report.Id, bytes, sourceBytes, length, bytesPerSecond);
            if (!KeepsGoing(report.Id)) {
                stopped = true;
                break;
            }
        }
        if (!stopped && !cut)
            cut = !put(shaper.Flush());
        const WavEnding ending{SourceFormat(stream),
                               written,
                               length,
                               stream.CodecFrameFrames(),
                               stopped,
                               cut,
                               false,
                               &layout,
                               sourceBytes,
                               shaped.InfoChunk};
        try {
            FinishWavFile(out, ending, file.Source);
            report.Outcome = stopped ? FileOutcome::Stopped : FileOutcome::Converted;
        } catch (const EWavSizeLimitError& error) {
            report.Outcome = FileOutcome::Failed;
            report.Message = error.what();
        }
        report.Target = out.Target().native();
        report.Frames = static_cast<std::int64_t>(written / layout.BlockAlign());
    }

    // The one file to standard output, in order. The header tells the length the stream
    // announced (after the rate change): data the source holds beyond it is cut, a source
    // that ends within a codec frame of it is padded with silence, so the header holds.
    void ConvertToPipe(const EngineFile& file, DecoderStream& stream, SampleShaper* shaper,
                       const std::optional<ShapedOutput>& shaped, FileReport& report,
                       std::span<std::byte> buffer) {
        const WavFormat source = SourceFormat(stream);
        const std::int64_t sourceFrameBytes = source.BlockAlign();
        const std::int64_t length = stream.LengthBytes();
        const std::int64_t sourceFrames = length / std::max<std::int64_t>(1, sourceFrameBytes);
        const std::int64_t outFrames = shaper ? shaper->TargetFrames(sourceFrames) : sourceFrames;
        const std::uint64_t blockAlign = shaped ? shaped->Layout.BlockAlign() : source.BlockAlign();
        std::uint64_t dataBytes = static_cast<std::uint64_t>(outFrames) * blockAlign;
        std::vector<std::byte> trailer =
            shaped ? TrailerAfterData(dataBytes, shaped->InfoChunk) : std::vector<std::byte>();
        std::vector<std::byte> header;
        bool streaming = false;
        if (shaped) {
            streaming = dataBytes > shaped->Layout.MaxDataBytes(trailer.size());
            if (streaming)
                trailer.clear();
            header = streaming ? shaped->Layout.StreamingHeader()
                               : shaped->Layout.Header(dataBytes, trailer.size());
        } else if (const WavLayout layout = StreamLayout(stream);
                   layout.Coding() != WavCoding::Pcm) {
            streaming = dataBytes > layout.MaxDataBytes();
            header = streaming ? layout.StreamingHeader() : layout.Header(dataBytes);
        } else {
            streaming = dataBytes > kWavMaxDataBytes;
            const auto data = static_cast<std::uint32_t>(streaming ? kWavMaxDataBytes : dataBytes);
            const WavHeaderBytes plain = BuildWavHeader(source);
            header.assign(plain.begin(), plain.end());
            const auto riff = LittleEndian32(data + kWavRiffOverhead);
            const auto size = LittleEndian32(data);
            std::copy(riff.begin(), riff.end(), header.begin() + kWavRiffSizeOffset);
            std::copy(size.begin(), size.end(), header.begin() + kWavDataSizeOffset);
        }
        if (streaming)
            dataBytes = std::numeric_limits<std::uint64_t>::max();

        PipeWriter out(*FSettings.StandardOutput);
        out.Write(header);
        std::uint64_t written = 0;
        std::int64_t sourceBytes = 0;
        const std::int64_t bytesPerSecond = sourceFrameBytes * source.SampleRate;
        const auto put = [&](std::span<const std::byte> bytes) {
            const std::uint64_t kept = std::min<std::uint64_t>(bytes.size(), dataBytes - written);
            out.Write(bytes.first(static_cast<std::size_t>(kept)));
            written += kept;
            return kept == bytes.size();
        };
        std::optional<FloatFrameReader> reader;
        if (shaper)
            reader.emplace(stream, FSettings.BufferSize, file.Source);
        const std::span<std::byte> request = buffer.first(
            buffer.size() - buffer.size() % static_cast<std::size_t>(sourceFrameBytes));
        bool full = false;
        for (;;) {
            std::span<const std::byte> bytes;
            std::int64_t consumed = 0;
            if (reader) {
                const std::span<const float> frames = reader->Next(kAnyFrames);
                if (frames.empty())
                    break;
                consumed =
                    static_cast<std::int64_t>(frames.size()) / stream.Channels() * sourceFrameBytes;
                bytes = shaper->Process(frames);
            } else {
                const std::size_t received = ReadGuarded(stream, request, file.Source);
                if (received == 0)
                    break;
                consumed = static_cast<std::int64_t>(received);
                bytes = request.first(received);
            }
            sourceBytes += consumed;
            full = !put(bytes);
            Count(report.Id, consumed, sourceBytes, length, bytesPerSecond);
            if (full)
                break;
            if (!KeepsGoing(report.Id))
                throw FileAbandoned{};
        }
        if (shaper && !full)
            put(shaper->Flush());
        if (!streaming) {
            if (!full && sourceBytes + stream.CodecFrameFrames() * sourceFrameBytes < length)
                throw EDecoderError(SourceEndsEarlyMessage(
                    file.Source, static_cast<double>(sourceBytes) / bytesPerSecond,
                    static_cast<double>(length) / bytesPerSecond));
            const bool unsigned8 =
                shaped ? shaped->Output.Format == SampleFormat::U8 : stream.BitsPerSample() == 8;
            const std::vector<std::byte> silence(
                std::min<std::uint64_t>(dataBytes - written, 1 << 16),
                unsigned8 ? std::byte{0x80} : std::byte{0});
            while (written < dataBytes)
                put(std::span<const std::byte>(silence).first(static_cast<std::size_t>(
                    std::min<std::uint64_t>(silence.size(), dataBytes - written))));
            out.Write(trailer);
        }
        out.Flush();
        report.Outcome = FileOutcome::Converted;
        report.Target = file.Target;
        report.Frames = static_cast<std::int64_t>(written / blockAlign);
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
            stream = Open(file.Job.Source, file.Kind);
        if (slice.First != 0)
            stream->SeekToFrame(slice.First);
        // Read once the slice has ended, however it ends.
        struct KeepWarnings {
            std::vector<std::string>& Kept;
            const DecoderStream& Stream;
            ~KeepWarnings() { Kept = Stream.Warnings(); }
        } keep{file.Warnings[task.Index], *stream};
        if (file.Shaped) {
            DecodeShapedSlice(file, task.Index, *stream);
            return;
        }
        const std::int64_t frameBytes = file.Format.BlockAlign();
        const std::int64_t bytesPerSecond = frameBytes * file.Format.SampleRate;
        const std::size_t request = buffer.size() - buffer.size() % frameBytes;
        const std::int64_t wanted = slice.Count * frameBytes;
        std::uint64_t offset = file.Layout.HeaderSize() + slice.First * frameBytes;
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
            // The first slice is checked as it goes, while it is still in the cache.
            if (task.Index == 0 && file.Check)
                file.Check->Add(buffer.first(received));
            offset += received;
            delivered += static_cast<std::int64_t>(received);
            if (!SliceGoesOn(file, static_cast<std::int64_t>(received), bytesPerSecond))
                return;
        }
        if (!last)
            CheckSliceWhole(file, slice, delivered, frameBytes, bytesPerSecond);
    }

    // A slice of a file whose samples are reshaped sample by sample (no rate change): the
    // same frames go to the same places as in one piece.
    void DecodeShapedSlice(SlicedFile& file, std::size_t index, DecoderStream& stream) {
        const Slice& slice = file.Slices[index];
        const bool last = index + 1 == file.Slices.size();
        const ShapedOutput& shaped = *file.Shaped;
        SampleShaper shaper(stream.Channels(), stream.SampleRate(), shaped.Output);
        FloatFrameReader reader(stream, FSettings.BufferSize, file.Job.Source);
        const std::int64_t frameBytes = file.Format.BlockAlign();
        const std::int64_t bytesPerSecond = frameBytes * file.Format.SampleRate;
        const std::int64_t wanted = slice.Count * frameBytes;
        std::uint64_t offset = shaped.Layout.HeaderSize() +
                               static_cast<std::uint64_t>(slice.First) * shaped.Layout.BlockAlign();
        std::int64_t& delivered = file.Delivered[index];
        while (last || delivered < wanted) {
            const std::span<const float> frames =
                reader.Next(last ? kAnyFrames : (wanted - delivered) / frameBytes);
            if (frames.empty())
                break;
            const std::span<const std::byte> bytes = shaper.Process(frames);
            file.File.WriteAt(offset, bytes);
            offset += bytes.size();
            const std::int64_t consumed =
                static_cast<std::int64_t>(frames.size()) / stream.Channels() * frameBytes;
            delivered += consumed;
            if (!SliceGoesOn(file, consumed, bytesPerSecond))
                return;
        }
        if (!last)
            CheckSliceWhole(file, slice, delivered, frameBytes, bytesPerSecond);
    }

    // Counts a block of a slice; false when the slice is to end here (a stop, or another
    // slice of the file failed).
    bool SliceGoesOn(SlicedFile& file, std::int64_t sourceBytes, std::int64_t bytesPerSecond) {
        Count(file.Id, sourceBytes, file.Done += sourceBytes, file.Length, bytesPerSecond);
        if (!KeepsGoing(file.Id)) {
            file.Stopped = true;
            return false;
        }
        return !file.Failed;
    }

    // The slices' warnings in the order of the file, each once, and the check of the data in
    // place: the first slice's data went in as it was decoded, the rest is read back in order
    // once the slices have written it.
    std::string SlicedWarnings(const SlicedFile& file, bool stopped) const {
        std::vector<std::string> warnings;
        for (const std::vector<std::string>& slice : file.Warnings)
            for (const std::string& warning : slice)
                if (std::find(warnings.begin(), warnings.end(), warning) == warnings.end())
                    warnings.push_back(warning);
        if (file.Check && !stopped) {
            std::vector<std::byte> block(FSettings.BufferSize);
            std::uint64_t offset =
                file.Layout.HeaderSize() + static_cast<std::uint64_t>(file.Delivered.front());
            const std::uint64_t end =
                file.Layout.HeaderSize() + static_cast<std::uint64_t>(file.ContiguousBytes());
            while (offset < end) {
                const std::size_t got = file.File.ReadAt(
                    offset, std::span(block).first(static_cast<std::size_t>(
                                std::min<std::uint64_t>(block.size(), end - offset))));
                if (got == 0)
                    break;
                file.Check->Add(std::span(block).first(got));
                offset += got;
            }
            std::string mismatch = file.Check->Finish();
            if (!mismatch.empty() &&
                std::find(warnings.begin(), warnings.end(), mismatch) == warnings.end())
                warnings.push_back(std::move(mismatch));
        }
        std::string joined;
        for (const std::string& warning : warnings)
            joined += (joined.empty() ? "" : "; ") + warning;
        return joined;
    }

    // A slice before the last must deliver all its frames.
    static void CheckSliceWhole(const SlicedFile& file, const Slice& slice, std::int64_t delivered,
                                std::int64_t frameBytes, std::int64_t bytesPerSecond) {
        if (delivered < slice.Count * frameBytes)
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
                WavEnding ending{file.Format, static_cast<std::uint64_t>(total),
                                 file.Length, file.CodecFrameFrames,
                                 stopped,     false,
                                 true,        &file.Layout,
                                 total,       {}};
                if (file.Shaped) {
                    ending.DataBytes = static_cast<std::uint64_t>(report.Frames) *
                                       file.Shaped->Layout.BlockAlign();
                    ending.InfoChunk = file.Shaped->InfoChunk;
                }
                report.Warning = SlicedWarnings(file, stopped);
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
