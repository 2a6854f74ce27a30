// The files coming into the window's list: from the open dialog, a drop, the command line or a
// later start. The window's thread only; large batches are probed on worker threads.
#pragma once

#include <deque>
#include <exception>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QMimeData;
class QTimer;

namespace zent {

struct FileEntry;
class FileListModel;
class FileListView;
class ProbeBatch;
class TMainForm;
class WindowRun;

// Adds a batch at a time, in the order the batches came; a file from a dropped folder takes
// the folder it goes below with it into the list.
class WindowIntake final {
public:
    struct Parts {
        TMainForm& Form;
        FileListModel& Model;
        FileListView& List;
        WindowRun& Run;
    };

    explicit WindowIntake(Parts parts);
    ~WindowIntake();

    // Small batches at once, larger ones on worker threads; throws what the first file that
    // could not be added threw.
    void AddFiles(const std::vector<std::string>& paths);
    void AddDroppedFiles(const QMimeData& mime);
    // Files and folders from outside the window: added like a drop, an error shown once the
    // current event is over.
    void AddShellFiles(const std::vector<std::string>& paths);
    // Files are being probed on worker threads and added to the list in their order.
    bool Adding() const { return FProbe != nullptr; }

private:
    void StartProbing();
    void TakeFolder(FileEntry& entry);
    void AddProbed();
    void ReportAddError(std::exception_ptr error);

    Parts F;
    std::unique_ptr<ProbeBatch> FProbe; // the batch being added on worker threads
    std::deque<std::vector<std::string>> FWaitingAdds;
    // The folder each file from a dropped folder goes below, until its entry is in the list.
    std::unordered_map<std::string, std::string> FFolderOf;
    QTimer* FProbeTimer = nullptr; // a child of the window
};

} // namespace zent
