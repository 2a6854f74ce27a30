#include "convert/FileJob.h"

#include "convert/BlockPump.h"
#include "convert/WavFinish.h"
#include "framework/Errors.h"

#include <algorithm>
#include <functional>

namespace zent {

namespace {

// The output's header from the announced length: RF64 only when 32-bit sizes cannot hold it.
WavLayout ChooseLayout(const WavLayout& layout, std::uint64_t dataBytes,
                       const std::vector<std::byte>& infoChunk, std::uint64_t maxRiffData) {
    return layout.For(dataBytes, TrailerAfterData(dataBytes, infoChunk).size(), maxRiffData);
}

// The source's warnings not yet among known, in order.
void AddNew(std::vector<CoreText>& known, const std::vector<CoreText>& warnings) {
    for (const CoreText& warning : warnings)
        if (std::find(known.begin(), known.end(), warning) == known.end())
            known.push_back(warning);
}

// A sink that hands what it writes to a check as well, and tells how much is in place.
class CheckedSink final : public BlockSink {
public:
    using Written = std::function<void(std::size_t bytes)>;
    CheckedSink(BlockSink& sink, DataCheck* check, Written written)
        : FSink(sink), FCheck(check), FWritten(std::move(written)) {}
    void Put(std::span<const std::byte> bytes) override {
        FSink.Put(bytes);
        if (FCheck)
            FCheck->Add(bytes);
        if (FWritten)
            FWritten(bytes.size());
    }

private:
    BlockSink& FSink;
    DataCheck* FCheck;
    Written FWritten;
};

std::unique_ptr<BlockSource> SourceOf(OpenedFile& opened, const EngineFile& file,
                                      std::size_t bufferBytes, std::span<std::byte> buffer) {
    if (opened.Shaper)
        return std::make_unique<ShapedBlocks>(*opened.Stream, *opened.Shaper, bufferBytes,
                                              file.Source);
    return std::make_unique<PlainBlocks>(*opened.Stream, buffer, file.Source);
}

} // namespace

OpenedFile OpenFile(JobContext& context, const EngineFile& file, FileReport& report) {
    const EngineSettings& settings = context.Settings();
    const OutputFormat& asked = settings.Output;
    // The plain path writes a lossless source's own samples, unless a format was chosen.
    const SampleKind plainKind = asked.SourceDepth ? SampleKind::Source : SampleKind::Int16;
    std::unique_ptr<DecoderStream> stream =
        context.Open(file.Source, asked.IsDefault() ? plainKind : SampleKind::Float32);
    const OutputFormat out = asked.ForSource(stream->SourceBits());
    const int rate = stream->SampleRate();
    const int channels = stream->Channels();
    const bool ownDeepSamples = out.KeepsDeepSamples(stream->SourceBits(), channels, rate);
    std::unique_ptr<SampleShaper> shaper;
    if (!asked.IsPlainFor(channels, rate) && !ownDeepSamples)
        shaper = std::make_unique<SampleShaper>(channels, rate, out);
    else if (stream->Kind() == SampleKind::Float32)
        stream = context.Open(file.Source, ownDeepSamples ? SampleKind::Source : plainKind);
    if (shaper && !IsFloat(out.Format))
        stream->ClipSoftly();
    report.Channels = shaper ? shaper->Channels() : stream->Channels();
    report.SampleRate = shaper ? shaper->Rate() : stream->SampleRate();
    report.Warnings = stream->Warnings();
    const WavLayout layout = shaper ? shaper->Layout() : StreamLayout(*stream);
    std::vector<std::byte> info =
        shaper && out.Tags ? BuildInfoChunk(stream->Tags()) : std::vector<std::byte>();
    const std::int64_t frameBytes = std::max<std::int64_t>(
        1, static_cast<std::int64_t>(stream->Channels()) * (stream->BitsPerSample() / 8));
    const std::int64_t frames = stream->LengthBytes() / frameBytes;
    const std::uint64_t data =
        static_cast<std::uint64_t>(shaper ? shaper->TargetFrames(frames) : frames) *
        layout.BlockAlign();
    WavLayout chosen = ChooseLayout(layout, data, info, settings.MaxRiffDataBytes);
    const bool checkedWhole = stream->ChecksWholeReads() && (shaper || !stream->NewDataCheck());
    return {std::move(stream), std::move(shaper), out,  chosen,
            std::move(info),   frameBytes,        data, checkedWhole};
}

void ConvertWhole(JobContext& context, const EngineFile& file, OpenedFile& opened,
                  FileReport& report, std::span<std::byte> buffer) {
    const EngineSettings& settings = context.Settings();
    DecoderStream& stream = *opened.Stream;
    const std::int64_t length = stream.LengthBytes();
    OutputFile out(file.Target, file.Existing);
    out.Write(opened.Layout.UnfinishedHeader());
    const std::unique_ptr<BlockSource> source = SourceOf(opened, file, settings.BufferSize, buffer);
    FileSink sink(out);
    std::int64_t done = 0;
    const PumpResult result = Pump(*source, sink, {}, [&](std::int64_t bytes) {
        done += bytes;
        context.Count(report.Id, bytes, done, length, opened.BytesPerSecond());
        return context.KeepsGoing(report.Id);
    });
    report.Warnings = stream.Warnings();
    FinishWavFile(out,
                  {.Layout = opened.Layout,
                   .DataBytes = result.Written,
                   .SourceBytes = result.SourceBytes,
                   .LengthBytes = length,
                   .AllowedShortBytes = opened.AllowedShortBytes(),
                   .SourceBytesPerSecond = opened.BytesPerSecond(),
                   .Stopped = result.Interrupted,
                   .InfoChunk = opened.InfoChunk,
                   .MaxRiffDataBytes = settings.MaxRiffDataBytes},
                  file.Source);
    report.Outcome = result.Interrupted ? FileOutcome::Stopped : FileOutcome::Converted;
    report.Target = out.Target().native();
    report.Frames = static_cast<std::int64_t>(result.Written / opened.Layout.BlockAlign());
}

void ConvertToPipe(JobContext& context, const EngineFile& file, OpenedFile& opened,
                   FileReport& report, std::span<std::byte> buffer) {
    const EngineSettings& settings = context.Settings();
    DecoderStream& stream = *opened.Stream;
    const WavLayout& layout = opened.Layout;
    const bool streaming = layout.Container() == WavContainer::Rf64;
    const std::vector<std::byte> trailer =
        streaming ? std::vector<std::byte>() : TrailerAfterData(opened.DataBytes, opened.InfoChunk);
    const std::uint64_t dataBytes = streaming ? ~std::uint64_t{0} : opened.DataBytes;
    const std::int64_t length = stream.LengthBytes();

    PipeSink out(*settings.StandardOutput);
    out.Put(streaming ? layout.StreamingHeader() : layout.Header(dataBytes, trailer.size()));
    const std::unique_ptr<BlockSource> source = SourceOf(opened, file, settings.BufferSize, buffer);
    std::int64_t done = 0;
    const PumpResult result = Pump(*source, out, {.MaxBytes = dataBytes}, [&](std::int64_t bytes) {
        done += bytes;
        context.Count(report.Id, bytes, done, length, opened.BytesPerSecond());
        return context.KeepsGoing(report.Id);
    });
    if (result.Interrupted)
        throw FileAbandoned{};
    std::uint64_t written = result.Written;
    if (!streaming) {
        if (!result.Full)
            CheckFullLength(file.Source, result.SourceBytes, length, opened.AllowedShortBytes(),
                            opened.BytesPerSecond());
        const bool unsigned8 = layout.Format() == SampleFormat::U8;
        const std::vector<std::byte> silence(
            static_cast<std::size_t>(std::min<std::uint64_t>(dataBytes - written, 1 << 16)),
            unsigned8 ? std::byte{0x80} : std::byte{0});
        while (written < dataBytes) {
            const auto size = static_cast<std::size_t>(
                std::min<std::uint64_t>(silence.size(), dataBytes - written));
            out.Put(std::span<const std::byte>(silence).first(size));
            written += size;
        }
        out.Put(trailer);
    }
    out.Flush();
    report.Warnings = stream.Warnings();
    report.Outcome = FileOutcome::Converted;
    report.Target = file.Target;
    report.Frames = static_cast<std::int64_t>(written / layout.BlockAlign());
}

SlicedFile::SlicedFile(FileId id, EngineFile file, FileReport report, const OpenedFile& opened,
                       std::vector<Slice> slices)
    : FId(id), FJob(std::move(file)), FReport(std::move(report)), FSlices(std::move(slices)),
      FDelivered(FSlices.size(), 0), FWarnings(FSlices.size()),
      FPending(static_cast<int>(FSlices.size())), FShaped(opened.Shaper != nullptr),
      FKind(opened.Stream->Kind()), FOutput(opened.Output),
      FCheck(FShaped ? nullptr : opened.Stream->NewDataCheck()), FProgress(FSlices.size()),
      FLayout(opened.Layout), FInfoChunk(opened.InfoChunk),
      FSourceFrameBytes(opened.SourceFrameBytes), FLength(opened.Stream->LengthBytes()),
      FAllowedShortBytes(opened.AllowedShortBytes()), FBytesPerSecond(opened.BytesPerSecond()),
      FFile(FJob.Target, FJob.Existing) {
    FWarnings.front() = opened.Stream->Warnings();
    FFile.Write(FLayout.UnfinishedHeader());
}

std::optional<FileReport> SlicedFile::RunSlice(JobContext& context, std::size_t index,
                                               std::unique_ptr<DecoderStream> stream,
                                               std::span<std::byte> buffer) {
    try {
        ConvertSlice(context, index, std::move(stream), buffer);
    } catch (const FileAbandoned&) {
        FAbandoned = true;
    } catch (const std::exception& error) {
        Fail(TextOf(error));
    }
    {
        const std::lock_guard lock(FProgressMutex);
        FProgress[index].Ended = true;
    }
    FProgressMade.notify_all();
    if (--FPending != 0)
        return std::nullopt;
    return Finish(context);
}

void SlicedFile::ConvertSlice(JobContext& context, std::size_t index,
                              std::unique_ptr<DecoderStream> stream, std::span<std::byte> buffer) {
    {
        const std::lock_guard lock(FProgressMutex);
        FProgress[index].Started = true;
    }
    if (FFailed)
        return;
    if (!context.KeepsGoing(FId)) {
        FStopped = true;
        return;
    }
    const Slice& slice = FSlices[index];
    const bool last = index + 1 == FSlices.size();
    if (!stream) {
        stream = context.Open(FJob.Source, FKind);
        if (FShaped && !IsFloat(FOutput.Format))
            stream->ClipSoftly();
    }
    const bool checks = index == 0 && FCheck;
    if (checks)
        stream->LeaveCheckToCaller();
    if (slice.First != 0)
        stream->SeekToFrame(slice.First);
    // Only an output whose samples depend on their own frame alone is cut: a shaper of its
    // own per slice gives the same bytes at the same places as one over the whole file.
    std::unique_ptr<SampleShaper> shaper;
    std::unique_ptr<BlockSource> source;
    if (FShaped) {
        shaper = std::make_unique<SampleShaper>(stream->Channels(), stream->SampleRate(), FOutput);
        source = std::make_unique<ShapedBlocks>(*stream, *shaper, context.Settings().BufferSize,
                                                FJob.Source);
    } else {
        source = std::make_unique<PlainBlocks>(*stream, buffer, FJob.Source);
    }
    FileSink file(FFile, FLayout.HeaderSize() +
                             static_cast<std::uint64_t>(slice.First) * FLayout.BlockAlign());
    // The first slice is checked as it goes, while it is still in the cache; the others
    // tell the first slice's job how far they are, for a file that is checked.
    CheckedSink::Written written;
    if (FCheck)
        written = [&](std::size_t bytes) {
            {
                const std::lock_guard lock(FProgressMutex);
                FProgress[index].Written += static_cast<std::int64_t>(bytes);
            }
            FProgressMade.notify_all();
        };
    CheckedSink sink(file, checks ? FCheck.get() : nullptr, std::move(written));
    const PumpResult result = Pump(*source, sink, {.MaxFrames = last ? kAnyFrames : slice.Count},
                                   [&](std::int64_t bytes) { return SliceGoesOn(context, bytes); });
    FDelivered[index] = result.SourceBytes;
    AddNew(FWarnings[index], stream->Warnings());
    // A slice before the last must deliver all its frames.
    if (!result.Interrupted && !last && result.SourceBytes < slice.Count * FSourceFrameBytes)
        throw EDecoderError(SourceEndsEarlyText(
            FJob.Source,
            static_cast<double>(slice.First * FSourceFrameBytes + result.SourceBytes) /
                static_cast<double>(FBytesPerSecond),
            static_cast<double>(FLength) / static_cast<double>(FBytesPerSecond)));
    if (checks && !result.Interrupted) {
        FChecked = result.SourceBytes;
        FollowSlices(buffer);
    }
}

void SlicedFile::FollowSlices(std::span<std::byte> buffer) {
    for (std::size_t index = 1; index < FSlices.size() && !FFailed; ++index) {
        std::int64_t hashed = 0;
        {
            // A slice no job has begun yet is left for the end: waiting for it could hold
            // the job that would take it.
            const std::lock_guard lock(FProgressMutex);
            if (!FProgress[index].Started)
                return;
        }
        for (;;) {
            std::int64_t written = 0;
            const bool ended = WaitForData(index, hashed, written);
            if (written > hashed) {
                const std::uint64_t at =
                    FLayout.HeaderSize() + static_cast<std::uint64_t>(FChecked);
                HashData(at, at + static_cast<std::uint64_t>(written - hashed), buffer);
                FChecked += written - hashed;
                hashed = written;
            } else if (ended) {
                break;
            }
        }
        // The data goes on in order only after a whole slice.
        if (hashed < FSlices[index].Count * FSourceFrameBytes)
            return;
    }
}

bool SlicedFile::WaitForData(std::size_t index, std::int64_t hashed, std::int64_t& bytes) {
    std::unique_lock lock(FProgressMutex);
    const SliceProgress& progress = FProgress[index];
    FProgressMade.wait(lock, [&] { return progress.Ended || progress.Written > hashed; });
    bytes = progress.Written;
    return progress.Ended;
}

void SlicedFile::HashData(std::uint64_t from, std::uint64_t to, std::span<std::byte> buffer) {
    while (from < to) {
        const std::size_t got =
            FFile.ReadAt(from, buffer.first(static_cast<std::size_t>(
                                   std::min<std::uint64_t>(buffer.size(), to - from))));
        if (got == 0)
            break;
        FCheck->Add(buffer.first(got));
        from += got;
    }
}

// false when the slice is to end here: a stop, or another slice of the file failed.
bool SlicedFile::SliceGoesOn(JobContext& context, std::int64_t sourceBytes) {
    context.Count(FId, sourceBytes, FDone += sourceBytes, FLength, FBytesPerSecond);
    if (!context.KeepsGoing(FId)) {
        FStopped = true;
        return false;
    }
    return !FFailed;
}

void SlicedFile::Fail(const CoreText& message) {
    const std::lock_guard lock(FMutex);
    if (!FFailed)
        FFailMessage = message;
    FFailed = true;
}

// The source bytes from the start that are in place: whole slices, then the first partial one.
std::int64_t SlicedFile::ContiguousBytes() const {
    std::int64_t total = 0;
    for (std::size_t i = 0; i < FSlices.size(); ++i) {
        total += FDelivered[i];
        if (FDelivered[i] < FSlices[i].Count * FSourceFrameBytes)
            break;
    }
    return total;
}

FileReport SlicedFile::Finish(const JobContext& context) {
    FileReport report = FReport;
    try {
        if (FFailed)
            throw Error(FFailMessage);
        if (FAbandoned) {
            report.Outcome = FileOutcome::Abandoned;
            return report;
        }
        // Every slice but the last ended where it should, the last where the data did; a
        // stopped file keeps what is in place from the start.
        const std::int64_t total = ContiguousBytes();
        report.Frames = total / FSourceFrameBytes;
        std::vector<CoreText> warnings;
        for (const std::vector<CoreText>& found : FWarnings)
            AddNew(warnings, found);
        if (!FStopped)
            if (const std::optional<CoreText> mismatch = CheckedData(context))
                AddNew(warnings, {*mismatch});
        report.Warnings = warnings;
        const std::uint64_t data =
            FShaped ? static_cast<std::uint64_t>(report.Frames) * FLayout.BlockAlign()
                    : static_cast<std::uint64_t>(total);
        FinishWavFile(FFile,
                      {.Layout = FLayout,
                       .DataBytes = data,
                       .SourceBytes = total,
                       .LengthBytes = FLength,
                       .AllowedShortBytes = FAllowedShortBytes,
                       .SourceBytesPerSecond = FBytesPerSecond,
                       .Stopped = FStopped,
                       .TrimTail = true,
                       .InfoChunk = FInfoChunk,
                       .MaxRiffDataBytes = context.Settings().MaxRiffDataBytes},
                      FJob.Source);
        report.Target = FFile.Target().native();
        report.Outcome = FStopped ? FileOutcome::Stopped : FileOutcome::Converted;
    } catch (const ETargetTaken&) {
        report.Outcome = FileOutcome::Skipped;
        report.Frames = 0;
    } catch (const std::exception& error) {
        report.Outcome = FileOutcome::Failed;
        report.Message = error.what();
        report.Text = TextOf(error);
        report.Frames = 0;
    }
    return report;
}

std::optional<CoreText> SlicedFile::CheckedData(const JobContext& context) {
    if (!FCheck)
        return std::nullopt;
    const std::uint64_t from = FLayout.HeaderSize() + static_cast<std::uint64_t>(FChecked);
    const std::uint64_t end = FLayout.HeaderSize() + static_cast<std::uint64_t>(ContiguousBytes());
    if (from < end) {
        std::vector<std::byte> buffer(context.Settings().BufferSize);
        HashData(from, end, buffer);
    }
    return FCheck->Finish();
}

} // namespace zent
