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

// Stops the engine on the job's own thread when a file fails and the run is not to go on:
// the events reach the run later, and no other file may begin meanwhile.
class ConversionRun::FailureStop final : public EngineObserver {
public:
    FailureStop(EngineObserver& events, bool keepGoing) : FEvents(events), FKeepGoing(keepGoing) {}

    ConversionEngine* Engine = nullptr; // set before the jobs start

    void FileStarted(FileId id) override { FEvents.FileStarted(id); }
    void BytesWritten(FileId id, std::int64_t bytes, std::int64_t fileDone,
                      std::int64_t fileLength) override {
        FEvents.BytesWritten(id, bytes, fileDone, fileLength);
    }
    void FileEnded(const FileReport& report) override {
        if (report.Outcome == FileOutcome::Failed && !FKeepGoing) {
            const std::lock_guard lock(FMutex);
            for (const FileId id : Engine->Stop())
                FNeverTaken.push_back(id);
        }
        FEvents.FileEnded(report);
    }
    // The files the stop kept from beginning; they get no events.
    std::size_t TakeNeverTaken() {
        const std::lock_guard lock(FMutex);
        return std::exchange(FNeverTaken, {}).size();
    }

private:
    EngineObserver& FEvents;
    bool FKeepGoing;
    std::mutex FMutex;
    std::vector<FileId> FNeverTaken;
};

std::int64_t TruncatedTotal(double projectedTotal) {
    // 2^63 as a double; anything at or beyond it cannot be a byte count.
    constexpr double kLimit = 9223372036854775808.0;
    if (!(projectedTotal > 0.0) || projectedTotal >= kLimit)
        return 0;
    return static_cast<std::int64_t>(std::trunc(projectedTotal));
}

ConversionRun::ConversionRun(RunView& view, TargetNames* names, unsigned jobs, RunChoices choices)
    : FView(view), FChoices(std::move(choices)), FJobs(std::max(1u, jobs)),
      FNames(names ? *names : FRunNames) {}

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
        settings.Output = FChoices.Output;
        // The window says "Sample not loaded." of any file it cannot open, as when adding it.
        // A lossless source keeps its depth, as the list projects its size.
        settings.OpenStream = [](const std::filesystem::path& path) {
            return OpenDecoderStream(path, SampleKind::Source);
        };
        FFailureStop = std::make_unique<FailureStop>(events, FChoices.KeepGoing);
        FEngine = std::make_unique<ConversionEngine>(std::move(settings), *FFailureStop, FProgress);
        FFailureStop->Engine = FEngine.get();
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
        std::string directory = FDirectory;
        if (FChoices.KeepFolders && !entry->Folder.empty()) {
            directory = IncludeTrailingSeparator(FDirectory + entry->Folder);
            // A folder that cannot be made fails the file when it is created.
            std::error_code ignored;
            std::filesystem::create_directories(ToFileSystemPath(directory), ignored);
        }
        entry->TargetPath = FNames.Claim(directory, entry->FileName, entry->SourcePath);
        // A file kept as it is needs no decoding; one that appears meanwhile is kept all the same.
        std::error_code error;
        const bool skip = FChoices.Existing == ExistingTarget::Keep &&
                          std::filesystem::exists(ToFileSystemPath(entry->TargetPath), error);
        ++FKnownInView;
        ++FOutstanding;
        FItems.push_back({entry, false, 0, 0});
        FIds[entry] = FEngine->Add({entry->SourcePath, entry->TargetPath, skip, FChoices.Existing});
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
    ListReordered();
}

void ConversionRun::ListReordered() {
    if (!FEngine || FStopping)
        return;
    std::vector<FileId> order;
    for (std::size_t i = 0; i < FView.EntryCount(); ++i)
        if (const auto found = FIds.find(FView.EntryAt(i)); found != FIds.end())
            order.push_back(found->second);
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
    if (report.Outcome == FileOutcome::Failed || report.Outcome == FileOutcome::Skipped ||
        (report.Outcome == FileOutcome::Converted && !report.Warnings.empty()))
        FReport.push_back(
            {entry->FileName, report.Outcome,
             report.Outcome == FileOutcome::Failed ? std::vector{report.Text} : report.Warnings});
    if (report.Outcome == FileOutcome::Skipped) {
        // Done with, as a converted file is; not a failure.
        FIds.erase(entry);
        FView.RemoveEntry(entry);
        --FKnownInView;
    } else if (report.Outcome == FileOutcome::Converted) {
        if (FShown == report.Id)
            FView.SetStatusText({CoreTextId::ClosingFile});
        StopRequestChanged();
        // A stop that came as the file was closed keeps its entry, as one a moment earlier
        // would have.
        if (!FView.StopRequested()) {
            // Its address may come back with an entry dropped later.
            FIds.erase(entry);
            FView.RemoveEntry(entry);
            --FKnownInView;
        }
    } else if (report.Outcome == FileOutcome::Failed) {
        ++FFailed;
        if (!FChoices.KeepGoing)
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
    FOutstanding -= FEngine->Stop(keep).size() + FFailureStop->TakeNeverTaken();
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
