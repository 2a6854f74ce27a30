#include "app/WindowRun.h"

#include "app/CoreTexts.h"
#include "app/FileListView.h"
#include "app/Main.h"
#include "app/RunEvents.h"
#include "app/RunReport.h"
#include "controls/Dialogs.h"
#include "controls/DirectoryEdit.h"
#include "controls/ErrorHandler.h"
#include "controls/ProgressCyl.h"
#include "filelist/FileListModel.h"
#include "framework/Errors.h"

#include <QItemSelectionModel>
#include <QTimer>
#include <algorithm>

namespace zent {

WindowRun::WindowRun(Parts parts) : F(parts) {}

WindowRun::~WindowRun() = default;

void WindowRun::Start(unsigned jobs, const RunChoices& choices) {
    if (FRun)
        return;
    auto run =
        std::make_unique<ConversionRun>(static_cast<RunView&>(*this), &FTargetNames, jobs, choices);
    auto* events = new RunEvents(
        *run, [this] { Guarded([this] { Delivered(); }); }, &F.Form);
    try {
        if (!run->Prepare(*events)) {
            delete events;
            return;
        }
    } catch (...) {
        delete events;
        throw;
    }
    FRun = std::move(run);
    FRunEvents = events;
    // The jobs begin once the click is handled: what came before it (a Stop) counts first.
    QTimer::singleShot(0, &F.Form, [this] {
        if (FRun)
            FRun->Begin();
    });
}

void WindowRun::StopRequestChanged() {
    if (FRun)
        FRun->StopRequestChanged();
}

void WindowRun::EntriesAdded() {
    if (FRun)
        FRun->EntriesAdded();
}

void WindowRun::ListReordered() {
    if (FRun)
        FRun->ListReordered();
}

void WindowRun::Delivered() {
    ShowDelivery();
    if (FRun && FRun->Over())
        Finished();
}

void WindowRun::ShowDelivery() {
    if (!FLeavingOrder.empty()) {
        std::vector<int> rows;
        rows.reserve(FLeavingOrder.size());
        for (const FileEntry* entry : FLeavingOrder)
            if (const QModelIndex index = F.Model.IndexOf(entry); index.isValid())
                rows.push_back(index.row());
        FLeaving.clear();
        FLeavingOrder.clear();
        F.Model.RemoveRows(rows);
    }
    if (const FileEntry* entry = std::exchange(FSelect, nullptr)) {
        const QModelIndex index = F.Model.IndexOf(entry);
        if (index.isValid()) {
            F.List.selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                                QItemSelectionModel::Rows);
            F.List.scrollTo(index);
        }
    }
}

void WindowRun::Finished() {
    FRunEvents->Stop();
    FRunEvents->deleteLater();
    FRunEvents = nullptr;
    const std::unique_ptr<ConversionRun> run = std::move(FRun);
    const std::optional<CoreText> message = run->Finish();
    const std::vector<RunReportRow>& rows = run->Report();
    RunCounts counts;
    counts.Failed = run->FailedCount();
    counts.Warnings = static_cast<int>(rows.size()) - counts.Failed;
    const auto skipped = std::count_if(rows.begin(), rows.end(), [](const RunReportRow& row) {
        return row.Outcome == FileOutcome::Skipped;
    });
    counts.Converted = FRemoved - static_cast<int>(skipped);
    const QString error = message ? ShownCoreText(*message) : QString();
    for (const auto& feedback : F.Feedback)
        feedback->RunEnded(counts, error);
    // One failure that ended the run says all in its message box.
    const bool onlyTheError = message && rows.size() == 1;
    if (!rows.empty() && !onlyTheError) {
        if (FReport)
            FReport->close();
        FReport = new RunReport(rows, &F.Form);
        FReport->setWindowFlag(Qt::Window);
        FReport->show();
    }
    if (message)
        throw Error(*message);
}

std::string WindowRun::TargetDirectoryText() const {
    return F.Target.Path();
}

void WindowRun::ShowErrorMessage(const CoreText& message) {
    Dialogs::Current().ShowError(&F.Form, ShownCoreText(message));
}

void WindowRun::FocusTargetDirectory() {
    if (F.Target.isEnabled() && F.Target.isVisible())
        F.Target.setFocus();
}

FileEntry* WindowRun::FirstEntry() {
    return EntryCount() > 0 ? EntryAt(0) : nullptr;
}

std::size_t WindowRun::EntryCount() const {
    return static_cast<std::size_t>(F.Model.rowCount()) - FLeaving.size();
}

FileEntry* WindowRun::EntryAt(std::size_t index) {
    const FileList& list = F.Model.List();
    if (FLeaving.empty())
        return &list.At(index);
    // Entries on their way out are still rows until the delivery is shown; the run no longer
    // sees them. They are few, and near the top.
    for (std::size_t row = 0; row < list.Count(); ++row) {
        FileEntry* entry = &list.At(row);
        if (FLeaving.contains(entry))
            continue;
        if (index == 0)
            return entry;
        --index;
    }
    return nullptr;
}

void WindowRun::RemoveEntry(const FileEntry* entry) {
    if (F.Form.Converting())
        ++FRemoved;
    if (!FRun) {
        F.Model.RemoveEntry(entry);
        return;
    }
    if (FLeaving.insert(entry).second)
        FLeavingOrder.push_back(entry);
    if (FSelect == entry)
        FSelect = nullptr;
}

double WindowRun::TotalProjectedSize() const {
    return F.Model.TotalProjectedSize();
}

void WindowRun::ClearSelectionAndFocusList() {
    F.List.selectionModel()->clearSelection();
    if (F.List.isEnabled() && F.List.isVisible())
        F.List.setFocus();
}

void WindowRun::SelectAndFocus(const FileEntry* entry) {
    // During a run the selection moves once a delivery: each move lays out the rows again.
    FSelect = entry;
    if (!FRun)
        ShowDelivery();
}

void WindowRun::BeginConversionState() {
    FRemoved = 0;
    F.Form.BeginConversionState();
}

void WindowRun::EndConversionState() {
    ShowDelivery();
    F.Form.EndConversionState();
}

void WindowRun::UpdateStatus() {
    ShowDelivery();
    F.Form.UpdateStatus();
}

void WindowRun::SetStatusText(const CoreText& text) {
    F.Form.SetStatusText(text);
}

void WindowRun::SetStatusInfo(const std::string& text) {
    F.Form.SetStatusInfo(text);
}

void WindowRun::SetFileProgress(int percent) {
    F.FileBar.SetPosition(percent);
}

void WindowRun::SetTotalProgress(int percent) {
    F.TotalBar.SetPosition(percent);
    for (const auto& feedback : F.Feedback)
        feedback->RunProgress(percent);
}

bool WindowRun::StopRequested() const {
    return F.Form.StopRequested();
}

void WindowRun::ClearStopRequest() {
    F.Form.ClearStopRequest();
}

} // namespace zent
