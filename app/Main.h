#pragma once

#include "app/Places.h"
#include "framework/CoreText.h"

#include <QMainWindow>
#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QEvent;
class QMimeData;
class QStatusBar;
class QToolButton;

namespace zent {

class DirectoryEdit;
class FileListModel;
class FileListView;
class LinkLabel;
class RunFeedback;
class RunReport;
class TComponent;
class TOptionsItem;
class TOutputItem;
class TProgressCyl;
class WindowIntake;
class WindowRun;

// The address that the link label opens.
inline constexpr const char* kUpdatePageUrl = "https://zent.example.org/updates";
inline constexpr const char* kMainCaption =
    QT_TRANSLATE_NOOP("zent::TMainForm", "Zent MP3 OGG to WAV converter 1.0");
// "Description|patterns", as ToQtFileFilter reads it.
inline constexpr const char* kOpenDialogFilter = QT_TRANSLATE_NOOP(
    "zent::TMainForm", "MP3, Ogg Vorbis, Opus and FLAC files (*.mp3; *.ogg; *.opus; *.flac; *.oga)|"
                       "*.mp3; *.ogg; *.opus; *.flac; *.oga");
inline constexpr const char* kConfigFileName = "zent.cfg";
inline constexpr const char* kOptionsSection = "Options";
inline constexpr const char* kOutputSection = "Output";

// The directory of an executable directory path as the program uses it: without a trailing
// separator, so that a program in the root directory keeps its settings at "/zent.cfg".
std::string AppDirFromPath(const QString& executableDir);

// The main window: owns the options, the list, the run and the two bars; the subsystems do
// the work. Its controls are made in MainControls.cpp.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    // appDir replaces the executable's directory (tests keep their zent.cfg elsewhere);
    // places replaces where the settings and the default target are found from it.
    explicit TMainForm(const QString& appDir = {}, QWidget* parent = nullptr,
                       const std::optional<Places>& places = {});
    ~TMainForm() override;

    std::string GetAppDir() const;
    std::string ConfigPath() const;

    void AddFiles(const std::vector<std::string>& paths);
    void AddDroppedFiles(const QMimeData& mime);
    // Files and folders from outside the window (a drop, the command line, a later start, the
    // folder chooser): added like a drop, an error shown once the current event is over.
    void AddShellFiles(const std::vector<std::string>& paths);
    // Ctrl+Shift+O: a folder chosen in the system's folder browser.
    void AddFolderClick();
    void ConvertAll();

    bool Converting() const { return FConverting; }
    // Files are being probed on worker threads and added to the list in their order.
    bool Adding() const;
    // Files converted at once; the number of processors unless set.
    void SetJobCount(unsigned jobs) { FJobCount = jobs; }
    bool StopRequested() const { return FStopRequested; }
    void ClearStopRequest() { FStopRequested = false; }
    int SortColumn() const { return FSortColumn; }
    bool SortAscending() const { return FSortAscending; }
    const TOptionsItem& Options() const { return *FOptions; }
    const TOutputItem& Output() const { return *FOutput; }
    // The report of the last run that had one, while it is open.
    RunReport* LastRunReport() const;
    const FileListModel& Model() const { return *FModel; }

    // Event handlers, public so that tests can drive them the way a person would.
    void AddFilesButtonClick();
    void DeleteFilesButtonClick();
    void ClearAllButtonClick();
    void ConvertButtonClick();
    void StopButtonClick();
    void ExitButtonClick();
    void PropButtonClick();
    void VST1Change();
    void VST1HeaderClick(int column);
    bool VST1KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void VST1DragDrop(const QMimeData* mime);

    void BeginConversionState();
    void EndConversionState();
    void UpdateStatus();
    void EnableControls(bool enable);
    void SetStatusText(const CoreText& text);
    void SetStatusInfo(const std::string& text);

    // Where the window's feedback to the desktop goes (notification, taskbar progress); the
    // window keeps them. Replaced in tests.
    void SetRunFeedback(std::vector<std::unique_ptr<RunFeedback>> feedback);

protected:
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void InitControls();
    void LoadOptions(const std::string& fileName);
    void SaveOptions(const std::string& fileName);
    void SortList();
    void FitStatusBar();
    void ShowStatus(QLabel* panel, const QString& text);

    QString FAppDir;
    Places FPlaces;
    std::unique_ptr<TComponent> FComponent; // the window as owner of named components
    TOptionsItem* FOptions = nullptr;       // owned by FComponent
    std::unique_ptr<TOutputItem> FOutput;
    bool FConverting = false;
    unsigned FJobCount = 0;
    std::unique_ptr<WindowRun> FRun;       // its jobs end before the window's children go
    std::unique_ptr<WindowIntake> FIntake; // goes first: it holds on to the run
    bool FStopRequested = false;
    int FSortColumn = 0;
    bool FSortAscending = true;
    bool FShownOnce = false;
    std::exception_ptr FStartupError;
    std::vector<std::unique_ptr<RunFeedback>> FRunFeedback;
    std::vector<QWidget*> FFocusChain; // Tab order; wraps from the last to the first

    FileListModel* FModel = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* TopPanel = nullptr;
    QToolButton* AddFilesButton = nullptr;
    QToolButton* DeleteFilesButton = nullptr;
    QToolButton* ClearAllButton = nullptr;
    QToolButton* PropButton = nullptr;
    QToolButton* ConvertButton = nullptr;
    QToolButton* ExitButton = nullptr;
    QToolButton* StopButton = nullptr;
    DirectoryEdit* JvDirectoryEdit1 = nullptr;
    QLabel* Label2 = nullptr;
    LinkLabel* JvLabel2 = nullptr;
    FileListView* VST1 = nullptr;
    TProgressCyl* TotalProgressCyl = nullptr;
    TProgressCyl* ProgressCyl1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* FStatusPanel0 = nullptr;
    QLabel* FStatusPanel1 = nullptr;
};

} // namespace zent
