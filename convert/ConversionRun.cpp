#include "convert/ConversionRun.h"

#include "convert/Progress.h"
#include "convert/RunView.h"
#include "decode/Decoder.h"
#include "filelist/FileEntry.h"
#include "filelist/Paths.h"
#include "framework/Errors.h"
#include "framework/PathText.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <system_error>

namespace zent {

namespace {

bool IsExistingDirectory(const std::string& text) {
    std::error_code error;
    return !text.empty() && std::filesystem::is_directory(ToFileSystemPath(text), error);
}

} // namespace

std::int64_t TruncatedTotal(double projectedTotal) {
    // 2^63 as a double; anything at or beyond it cannot be a byte count.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(projectedTotal > 0.0) || projectedTotal >= kLimit)
        return 0;
    return static_cast<std::int64_t>(std::trunc(projectedTotal));
}

ConversionRun::ConversionRun(RunView& view, TargetNames* names, unsigned jobs)
    : FView(view), FJobs(std::max(1u, jobs)), FNames(names ? *names : FRunNames) {}

ConversionRun::~ConversionRun() = default;

void ConversionRun::Begin() {
    FEngine->Start();
}

bool ConversionRun::Prepare(EngineObserver& events) {
    const std::string directoryText = FView.TargetDirectoryText();
    if (!IsExistingDirectory(directoryText)) {
        FView.ShowErrorMessage({CoreTextId::PickValidDirectory});
        FView.FocusTargetDirectory();
        return false;
    }
    FBytesDone = 0;
    FTotalBytes = TruncatedTotal(FView.TotalProjectedSize());
    FDirectory = IncludeTrailingSeparator(directoryText);
    if (!FView.FirstEntry())
        return false;
    FView.ClearSelectionAndFocusList();
    // Cleared once per run: a stop that arrives between two files still ends the run.
    FView.ClearStopRequest();
    try {
        FView.BeginConversionState();
        FNames.BeginRun();
        EngineSettings settings;
        settings.Jobs = FJobs;
        settings.BufferSize = kDecodeBufferSize;
        // The window says "Sample not loaded." of any file it cannot open, as when adding it.
        settings.OpenStream = [](const std::filesystem::path& path) {
            return OpenDecoderStream(path);
        };
        FEngine = std::make_unique<ConversionEngine>(std::move(settings), events, FProgress);
        std::vector<FileEntry*> entries;
        for (std::size_t i = 0; i < FView.EntryCount(); ++i)
            entries.push_back(FView.EntryAt(i));
        HandOut(entries);
    } catch (...) {
        FEngine.reset();
        EndRun();
        throw;
    }
    return true;
}

void ConversionRun::HandOut(const std::vector<FileEntry*>& entries) {
    for (FileEntry* entry : entries) {
        entry->TargetPath = FNames.Claim(FDirectory, entry->FileName, entry->SourcePath);
        ++FKnownInView;
        ++FOutstanding;
        FItems.push_back({entry, false, 0, 0});
        FIds[entry] = FEngine->Add({entry->SourcePath, entry->TargetPath, false});
    }
}

void ConversionRun::EntriesAdded() {
    if (!FEngine || FStopping || FView.EntryCount() == FKnownInView)
        return;
    // New entries join the queue; the files not started yet go in display order.
    std::vector<FileEntry*> added;
    for (std::size_t i = 0; i < FView.EntryCount(); ++i)
        if (FileEntry* entry = FView.EntryAt(i); !FIds.contains(entry))
            added.push_back(entry);
    HandOut(added);
    std::vector<FileId> order;
    for (std::size_t i = 0; i < FView.EntryCount(); ++i)
        order.push_back(FIds.at(FView.EntryAt(i)));
    FEngine->Order(order);
}

void ConversionRun::FileStarted(FileId id) {
    FInFlight.insert(id);
    FollowTopmost();
    StopRequestChanged();
    if (!FStopping && FShown == id)
        FView.SetStatusText({CoreTextId::OpeningFile});
}

void ConversionRun::BytesWritten(FileId id, std::int64_t bytes, std::int64_t fileDone,
                                 std::int64_t fileLength) {
    Item& item = FItems[id];
    item.HasBytes = true;
    item.Done = fileDone;
    item.Length = fileLength;
    AddTotalProgress(bytes);
    StopRequestChanged();
    if (FStopping || FShown != id)
        return;
    const int percent = ProgressPercent(fileDone, fileLength);
    FView.SetFileProgress(percent);
    FView.SetStatusText({CoreTextId::Done, {std::to_string(percent)}});
    StopRequestChanged();
}

void ConversionRun::FileEnded(const FileReport& report) {
    --FOutstanding;
    FInFlight.erase(report.Id);
    FileEntry* entry = FItems[report.Id].Entry;
    if (report.Outcome == FileOutcome::Converted) {
        if (FShown == report.Id)
            FView.SetStatusText({CoreTextId::ClosingFile});
        StopRequestChanged();
        // A stop that came as the file was closed keeps its entry, as one a moment earlier
        // would have.
        if (!FView.StopRequested()) {
            FView.RemoveEntry(entry);
            --FKnownInView;
        }
    } else if (report.Outcome == FileOutcome::Failed) {
        Fail(report.Text);
    }
    FollowTopmost();
    EntriesAdded();
    CloseWhenOver();
}

std::optional<FileId> ConversionRun::Topmost() {
    // Files in flight are near the top: above them are at most entries dropped meanwhile.
    if (FInFlight.empty())
        return std::nullopt;
    for (std::size_t row = 0; row < FView.EntryCount(); ++row)
        if (const auto found = FIds.find(FView.EntryAt(row));
            found != FIds.end() && FInFlight.contains(found->second))
            return found->second;
    return std::nullopt;
}

void ConversionRun::FollowTopmost() {
    const std::optional<FileId> top = Topmost();
    if (!top || top == FShown || FStopping)
        return;
    FShown = top;
    const Item item = FItems[*top]; // a copy: the view may add entries
    FView.SelectAndFocus(item.Entry);
    FView.SetStatusInfo(item.Entry->FileName);
    if (item.HasBytes)
        FView.SetFileProgress(ProgressPercent(item.Done, item.Length));
}

void ConversionRun::StopRequestChanged() {
    if (!FEngine || FStopping || !FView.StopRequested())
        return;
    // The topmost file keeps what it has written, if it has written anything yet.
    std::optional<FileId> keep = Topmost();
    if (keep && !FItems[*keep].HasBytes)
        keep.reset();
    StopEngine(keep);
}

void ConversionRun::StopEngine(std::optional<FileId> keep) {
    FStopping = true;
    FOutstanding -= FEngine->Stop(keep).size();
    CloseWhenOver();
}

void ConversionRun::Fail(const CoreText& message) {
    if (!FError)
        FError = message;
    if (!FStopping)
        StopEngine(std::nullopt);
}

void ConversionRun::CloseWhenOver() {
    if (FOutstanding == 0)
        FEngine->Close();
}

std::optional<CoreText> ConversionRun::Finish() {
    FEngine->Close();
    FEngine->Wait();
    EndRun();
    return FError;
}

void ConversionRun::EndRun() {
    FView.UpdateStatus();
    FView.EndConversionState();
}

void ConversionRun::AddTotalProgress(std::int64_t bytes) {
    FBytesDone += bytes;
    FView.SetTotalProgress(ProgressPercent(FBytesDone, FTotalBytes));
}

} // namespace zent
