#pragma once

#include "app/RunFeedback.h"
#include "app/RunReport.h"
#include "convert/ConversionRun.h"
#include "convert/RunView.h"
#include "convert/TargetNames.h"

#include <QPointer>
#include <memory>
#include <unordered_set>
#include <vector>

namespace zent {

class DirectoryEdit;
class FileListModel;
class FileListView;
class RunEvents;
class TMainForm;
class TProgressCyl;

// The window's side of a conversion run: hands the list to a ConversionRun, shows its events
// in the list, the bars and the status a delivery at a time, and tells how the run went. The
// window's thread only.
class WindowRun final : private RunView {
public:
    struct Parts {
        TMainForm& Form;
        FileListModel& Model;
        FileListView& List;
        DirectoryEdit& Target;
        TProgressCyl& FileBar;
        TProgressCyl& TotalBar;
        const std::vector<std::unique_ptr<RunFeedback>>& Feedback;
    };

    explicit WindowRun(Parts parts);
    ~WindowRun() override;

    // ConvertAll: a run over the list, unless one is on.
    void Start(unsigned jobs, const RunChoices& choices);
    bool Active() const { return FRun != nullptr; }
    void StopRequestChanged();
    void EntriesAdded();
    void ListReordered();

    // The report of the last run that had one; null when closed.
    RunReport* Report() const { return FReport; }

private:
    void Delivered();
    void ShowDelivery();
    void Finished();

    // RunView
    std::string TargetDirectoryText() const override;
    void ShowErrorMessage(const CoreText& message) override;
    void FocusTargetDirectory() override;
    FileEntry* FirstEntry() override;
    std::size_t EntryCount() const override;
    FileEntry* EntryAt(std::size_t index) override;
    void RemoveEntry(const FileEntry* entry) override;
    double TotalProjectedSize() const override;
    void ClearSelectionAndFocusList() override;
    void SelectAndFocus(const FileEntry* entry) override;
    void BeginConversionState() override;
    void EndConversionState() override;
    void UpdateStatus() override;
    void SetStatusText(const CoreText& text) override;
    void SetStatusInfo(const std::string& text) override;
    void SetFileProgress(int percent) override;
    void SetTotalProgress(int percent) override;
    bool StopRequested() const override;
    void ClearStopRequest() override;

    Parts F;
    // Every name this window's runs handed out: a later run never replaces them.
    TargetNames FTargetNames;
    RunEvents* FRunEvents = nullptr; // a child of the window while a run is on
    // Entries the run is done with, taken out of the list together once a delivery is shown.
    std::unordered_set<const FileEntry*> FLeaving;
    std::vector<const FileEntry*> FLeavingOrder;
    const FileEntry* FSelect = nullptr; // selected and scrolled to once a delivery is shown
    int FRemoved = 0;
    QPointer<RunReport> FReport;
    std::unique_ptr<ConversionRun> FRun; // last: its jobs end before the rest goes
};

} // namespace zent
