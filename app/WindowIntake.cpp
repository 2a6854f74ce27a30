#include "app/WindowIntake.h"

#include "app/FileListView.h"
#include "app/Guards.h"
#include "app/Main.h"
#include "app/ShellFiles.h"
#include "app/WindowRun.h"
#include "controls/Dialogs.h"
#include "controls/ErrorHandler.h"
#include "filelist/FileListModel.h"
#include "filelist/ProbeBatch.h"
#include "framework/Errors.h"
#include "framework/PathText.h"
#include "framework/Processors.h"

#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace zent {

namespace {

// Up to this many files are probed at once on the window's thread; more go to worker threads
// so that the window keeps answering while they are listed.
constexpr std::size_t kProbeInWindowLimit = 64;
constexpr int kProbeDeliveryMs = 50;

} // namespace

WindowIntake::WindowIntake(Parts parts) : F(parts) {}

WindowIntake::~WindowIntake() = default;

void WindowIntake::AddFiles(const std::vector<std::string>& paths) {
    if (FProbe || paths.size() > kProbeInWindowLimit) {
        // In order after any batch still being added.
        FWaitingAdds.push_back(paths);
        if (!FProbe)
            StartProbing();
        return;
    }
    std::exception_ptr error;
    {
        BusyCursor busy;
        HeldBackUpdates held(&F.List);
        try {
            for (const std::string& path : paths)
                if (FileEntry* entry = F.Model.AddFile(path))
                    TakeFolder(*entry);
        } catch (...) {
            error = std::current_exception();
        }
    }
    F.Form.UpdateStatus();
    F.Run.EntriesAdded();
    if (error)
        std::rethrow_exception(error);
}

void WindowIntake::TakeFolder(FileEntry& entry) {
    if (const auto found = FFolderOf.find(entry.SourcePath); found != FFolderOf.end()) {
        entry.Folder = std::move(found->second);
        FFolderOf.erase(found);
    }
}

void WindowIntake::StartProbing() {
    if (FWaitingAdds.empty())
        return;
    if (!FProbeTimer) {
        FProbeTimer = new QTimer(&F.Form);
        QObject::connect(FProbeTimer, &QTimer::timeout, &F.Form,
                         [this] { Guarded([this] { AddProbed(); }); });
    }
    FProbe = std::make_unique<ProbeBatch>(FWaitingAdds.front(), UsableProcessorCount());
    FWaitingAdds.pop_front();
    FProbeTimer->start(kProbeDeliveryMs);
}

void WindowIntake::AddProbed() {
    if (!FProbe)
        return;
    std::exception_ptr error;
    std::vector<ProbeBatch::Result> ready = FProbe->TakeReady();
    if (!ready.empty()) {
        HeldBackUpdates held(&F.List);
        for (ProbeBatch::Result& result : ready) {
            TakeFolder(result.Entry);
            F.Model.AppendEntry(std::move(result.Entry));
            // A file that cannot be probed ends its batch there, as in adding one by one.
            if (result.Error) {
                error = result.Error;
                break;
            }
        }
    }
    if (error || FProbe->Finished()) {
        FProbe.reset();
        FProbeTimer->stop();
        StartProbing();
        if (!FProbe)
            FFolderOf.clear();
    }
    if (!ready.empty()) {
        F.Form.UpdateStatus();
        F.Run.EntriesAdded();
    }
    if (error)
        ReportAddError(error);
}

void WindowIntake::ReportAddError(std::exception_ptr error) {
    // The error is shown once the event is over, so that the program the files came from is
    // not kept waiting; during a run the box does not wait either, or it would hold the run.
    if (F.Form.Converting())
        Dialogs::Current().ShowErrorLater(&F.Form, ExceptionMessage(error));
    else
        QTimer::singleShot(0, &F.Form, [error] { HandleException(error); });
}

void WindowIntake::AddDroppedFiles(const QMimeData& mime) {
    std::vector<std::string> paths;
    for (const QUrl& url : mime.urls()) {
        if (std::string path = PathFromFileUrl(url); !path.empty())
            paths.push_back(std::move(path));
    }
    AddShellFiles(paths);
}

void WindowIntake::AddShellFiles(const std::vector<std::string>& paths) {
    ShellFiles found = ExpandFolders(paths);
    std::vector<std::string> files;
    files.reserve(found.Files.size());
    for (ShellFile& file : found.Files) {
        if (!file.Folder.empty())
            FFolderOf[file.Path] = std::move(file.Folder);
        files.push_back(std::move(file.Path));
    }
    try {
        if (!files.empty())
            AddFiles(files);
    } catch (...) {
        ReportAddError(std::current_exception());
    }
    if (!FProbe)
        FFolderOf.clear(); // what a batch ended by an error left
    // A folder that could not be read is named once its readable neighbours are in.
    if (!found.Errors.empty())
        ReportAddError(std::make_exception_ptr(Error(found.Errors.front())));
}

} // namespace zent
