#pragma once

#include "convert/ConversionEngine.h"
#include "convert/TargetNames.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace zent {

class RunView;
struct FileEntry;

// Each of the window's jobs decodes in blocks of this size.
inline constexpr std::size_t kDecodeBufferSize = 800000;

// What a run writes and how it meets trouble; the defaults are the window's first ways.
struct RunChoices {
    OutputFormat Output;
    ExistingTarget Existing = ExistingTarget::Replace;
    // Each file goes below the target directory in the entry's Folder.
    bool KeepFolders = false;
    // A file that fails stays in the list and the run goes on with the next.
    bool KeepGoing = false;
};

// A file that did not simply convert: it failed, was skipped, or converted with a warning.
struct RunReportRow {
    std::string FileName;
    FileOutcome Outcome = FileOutcome::Failed;
    std::vector<CoreText> Reasons; // the error or the warnings; none for a skipped file
};

// The batch run over the window's list, on the conversion engine: the entries go to the jobs
// from the top, in display order; each converted entry leaves the list. The selection, status
// panel 1 and the file bar follow the topmost entry still converting; the total bar counts
// the bytes of all jobs. A stop keeps the topmost file in flight as a shorter file and
// abandons the others; an error ends the run like a stop without a kept file. The engine's
// events reach the run through EngineObserver, one at a time, on the thread that owns the
// view (the window's RunEvents carries them there).
class ConversionRun : public EngineObserver {
public:
    // names, when given, outlives the run: a window's later runs then never replace what its
    // earlier ones wrote.
    explicit ConversionRun(RunView& view, TargetNames* names = nullptr, unsigned jobs = 1,
                           RunChoices choices = {});
    ~ConversionRun() override;

    // Without waiting: Prepare hands the entries to the engine, whose events go to events
    // (which passes them on to this object on the view's thread, one at a time); false when
    // no run began. Begin starts the jobs. Once Over, Finish ends the run and gives the message
    // of the error that ended it, if any.
    bool Prepare(EngineObserver& events);
    void Begin();
    bool Over() const { return FEngine && FOutstanding == 0; }
    std::optional<CoreText> Finish();
    // The window's stop flag was set.
    void StopRequestChanged();
    // Entries were added to the list during the run.
    void EntriesAdded();
    // The list was sorted again: the files not begun yet follow its new order.
    void ListReordered();
    // The files that failed, were skipped or converted with a warning, in the order they ended.
    const std::vector<RunReportRow>& Report() const { return FReport; }
    int FailedCount() const { return FFailed; }

    void FileStarted(FileId id) override;
    void BytesWritten(FileId id, std::int64_t bytes, std::int64_t fileDone,
                      std::int64_t fileLength) override;
    void FileEnded(const FileReport& report) override;

    void AddTotalProgress(std::int64_t bytes);
    std::int64_t BytesDone() const { return FBytesDone; }

private:
    struct Item {
        FileEntry* Entry = nullptr;
        bool HasBytes = false;
        std::int64_t Done = 0; // bytes of the file written, of Length
        std::int64_t Length = 0;
    };

    void HandOut(const std::vector<FileEntry*>& entries);
    std::optional<FileId> Topmost(); // the file in flight nearest the top of the list
    void FollowTopmost();
    void StopEngine(std::optional<FileId> keep);
    void Fail(const CoreText& message);
    void CloseWhenOver();
    void EndRun();

    class FailureStop;

    RunView& FView;
    RunChoices FChoices;
    std::vector<RunReportRow> FReport;
    int FFailed = 0;
    unsigned FJobs;
    std::string FDirectory;
    TargetNames FRunNames; // when no names are given: two sources of a run never meet in one file
    TargetNames& FNames;
    std::int64_t FBytesDone = 0;
    std::int64_t FTotalBytes = 0;
    std::vector<Item> FItems; // by FileId
    std::unordered_map<const FileEntry*, FileId> FIds;
    std::size_t FKnownInView = 0;
    std::unordered_set<FileId> FInFlight;
    std::optional<FileId> FShown; // the entry the selection and the bars follow
    std::size_t FOutstanding = 0; // handed out and not ended
    bool FStopping = false;
    std::optional<CoreText> FError;
    EngineProgress FProgress;
    std::unique_ptr<FailureStop> FFailureStop; // between the engine and the events
    std::unique_ptr<ConversionEngine> FEngine; // last: its jobs end before the rest goes
};

// The batch total in whole bytes: truncated toward zero; negative, NaN or out-of-range
// totals count as 0.
std::int64_t TruncatedTotal(double projectedTotal);

} // namespace zent
