// The main window: its life (made, shown, closed), its state and status, the list's own
// actions, conversion and the settings; the controls are made in MainControls.cpp.
#include "app/Main.h"

#include "app/AppId.h"
#include "app/CoreTexts.h"
#include "app/FileListView.h"
#include "app/Guards.h"
#include "app/OutputChoices.h"
#include "app/RunFeedback.h"
#include "app/RunReport.h"
#include "app/WindowIntake.h"
#include "app/WindowRun.h"
#include "controls/Dialogs.h"
#include "controls/DirectoryEdit.h"
#include "controls/ErrorHandler.h"
#include "controls/ProgressCyl.h"
#include "decode/Decoder.h"
#include "filelist/FileListModel.h"
#include "filelist/Formats.h"
#include "filelist/Paths.h"
#include "framework/Component.h"
#include "framework/PathText.h"
#include "settings/Options.h"
#include "settings/OutputItem.h"
#include "settings/ZentStruc.h"
#include "settings/clSerializers.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace zent {

namespace {

// A run shorter than this ends without a desktop notification.
constexpr qint64 kNotifyAfterMsecs = 5000;

std::string NativePath(const QString& path) {
    return PathFromShownText(QDir::toNativeSeparators(path));
}

// The names of the window's own controls, which a component name read from the settings must
// not take.
const char* const kControlNames[] = {
    "Panel1",     "TopPanel",      "AddFilesButton", "DeleteFilesButton", "ClearAllButton",
    "PropButton", "ConvertButton", "ExitButton",     "StopButton",        "JvDirectoryEdit1",
    "Label2",     "JvLabel2",      "VST1",           "TotalProgressCyl",  "ProgressCyl1",
    "StatusBar1", "OpenDialog1",   "ImageList1",
};

} // namespace

std::string AppDirFromPath(const QString& executableDir) {
    std::string dir = NativePath(executableDir);
    if (!dir.empty() && IsPathSeparator(dir.back()))
        dir.pop_back();
    return dir;
}

TMainForm::TMainForm(const QString& appDir, QWidget* parent, const std::optional<Places>& places)
    : QMainWindow(parent),
      FAppDir(appDir.isEmpty() ? QCoreApplication::applicationDirPath() : appDir),
      FPlaces(places ? *places : FindPlaces(AppDirFromPath(FAppDir))) {
    setObjectName(QStringLiteral("MainForm"));
    SetMessageTranslator(&ShownCoreText);
    BuildControls();

    FRun = std::make_unique<WindowRun>(WindowRun::Parts{
        *this, *FModel, *VST1, *JvDirectoryEdit1, *ProgressCyl1, *TotalProgressCyl, FRunFeedback});
    FIntake = std::make_unique<WindowIntake>(WindowIntake::Parts{*this, *FModel, *VST1, *FRun});

    std::vector<std::unique_ptr<RunFeedback>> feedback;
    feedback.push_back(std::make_unique<TaskbarProgress>(QLatin1String(kAppId)));
    feedback.push_back(std::make_unique<RunNotifier>(
        QLatin1String(kAppId), [this] { return isActiveWindow(); }, kNotifyAfterMsecs));
    SetRunFeedback(std::move(feedback));

    FormCreate();
}

TMainForm::~TMainForm() = default; // FormDestroy: the options go with their owner component

void TMainForm::SetRunFeedback(std::vector<std::unique_ptr<RunFeedback>> feedback) {
    FRunFeedback = std::move(feedback);
}

void TMainForm::FormCreate() {
    FComponent = std::make_unique<TComponent>(nullptr);
    for (const char* name : kControlNames)
        (new TComponent(FComponent.get()))->SetName(name);
    FOptions = new TOptionsItem(FComponent.get());
    FOutput = std::make_unique<TOutputItem>();
    try {
        LoadOptions(ConfigPath());
    } catch (...) {
        // Shown once the window is up; the defaults stay for what was not loaded.
        FStartupError = std::current_exception();
    }
    InitDecoders();
    InitControls();
}

std::string TMainForm::GetAppDir() const {
    return AppDirFromPath(FAppDir);
}

std::string TMainForm::ConfigPath() const {
    return FPlaces.configPath;
}

void TMainForm::InitControls() {
    StopButton->hide();
    StopButton->move(ConvertButton->pos());
    ConvertButton->show();
    for (TProgressCyl* bar : {ProgressCyl1, TotalProgressCyl}) {
        bar->SetPosition(0);
        bar->SetMin(0);
        bar->SetMax(100);
    }
    ShowStatus(FStatusPanel0, tr("%n file(s)", nullptr, 0));
    FConverting = false;
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!FShownOnce) {
        FShownOnce = true;
        if (const QScreen* screen = this->screen())
            move(screen->availableGeometry().center() - rect().center());
    }
    Guarded([this] { FormShow(); });
}

void TMainForm::FormShow() {
    // A window restored from the task bar is shown again, also in the middle of a run.
    if (!FConverting)
        EnableControls(true);
    if (FStartupError) {
        const auto error = std::exchange(FStartupError, nullptr);
        QTimer::singleShot(0, this, [error] { HandleException(error); });
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    bool canClose = false;
    Guarded([&] { canClose = FormCloseQuery(); });
    if (!canClose) {
        event->ignore();
        return;
    }
    event->accept();
}

bool TMainForm::FormCloseQuery() {
    bool canClose = true;
    if (FConverting) {
        canClose = false;
        StopButtonClick();
    }
    try {
        SaveOptions(ConfigPath());
    } catch (...) {
        // A person is never kept in a program that cannot save its settings.
        HandleException(std::current_exception());
    }
    return canClose;
}

void TMainForm::ExitButtonClick() {
    close();
}

void TMainForm::StopButtonClick() {
    FStopRequested = true;
    FRun->StopRequestChanged();
}

void TMainForm::EnableControls(bool enable) {
    const bool hasEntries = FModel->rowCount() > 0;
    const bool hasSelection = VST1->selectionModel()->hasSelection();
    AddFilesButton->setEnabled(enable);
    DeleteFilesButton->setEnabled(enable && hasSelection);
    ClearAllButton->setEnabled(enable && hasEntries);
    ConvertButton->setEnabled(hasEntries);
    ExitButton->setEnabled(enable);
    PropButton->setEnabled(enable);
}

void TMainForm::BeginConversionState() {
    for (const auto& feedback : FRunFeedback)
        feedback->RunStarted(JvDirectoryEdit1->Text());
    EnableControls(false);
    StopButton->show();
    ConvertButton->hide();
    FConverting = true;
    SetStatusInfo("");
}

void TMainForm::EndConversionState() {
    ConvertButton->show();
    StopButton->hide();
    FConverting = false;
    UpdateStatus();
    ProgressCyl1->SetPosition(0);
    TotalProgressCyl->SetPosition(0);
}

void TMainForm::ShowStatus(QLabel* panel, const QString& text) {
    panel->setText(text);
}

void TMainForm::UpdateStatus() {
    ProjectSizes(FModel->List(), ChoicesFrom(*FOutput).Output);
    VST1->viewport()->update();
    ShowStatus(FStatusPanel0, tr("%n file(s)", nullptr, FModel->rowCount()));
    ShowStatus(FStatusPanel1,
               tr("Total disk space needed: %1")
                   .arg(QString::fromStdString(FormatSize(FModel->TotalProjectedSize()))));
    SortList();
    if (!FConverting)
        EnableControls(true);
}

void TMainForm::SetStatusText(const CoreText& text) {
    ShowStatus(FStatusPanel0, ShownCoreText(text));
}

void TMainForm::SetStatusInfo(const std::string& text) {
    ShowStatus(FStatusPanel1, QString::fromStdString(text));
}

void TMainForm::VST1Change() {
    if (!FConverting)
        EnableControls(true);
}

// --- Adding files ---

void TMainForm::AddFiles(const std::vector<std::string>& paths) {
    FIntake->AddFiles(paths);
}

void TMainForm::AddDroppedFiles(const QMimeData& mime) {
    FIntake->AddDroppedFiles(mime);
}

void TMainForm::AddShellFiles(const std::vector<std::string>& paths) {
    FIntake->AddShellFiles(paths);
}

bool TMainForm::Adding() const {
    return FIntake->Adding();
}

void TMainForm::AddFilesButtonClick() {
    const QStringList chosen = Dialogs::Current().GetOpenFileNames(this, tr(kOpenDialogFilter));
    if (chosen.isEmpty())
        return;
    std::vector<std::string> paths;
    paths.reserve(chosen.size());
    for (const QString& file : chosen)
        paths.push_back(NativePath(file));
    AddFiles(paths);
}

void TMainForm::VST1DragDrop(const QMimeData* mime) {
    if (mime)
        AddDroppedFiles(*mime);
}

void TMainForm::AddFolderClick() {
    const QString chosen = Dialogs::Current().GetExistingDirectory(this, {}, false);
    if (!chosen.isEmpty())
        AddShellFiles({NativePath(chosen)});
}

// --- Display, deletion, sorting ---

void TMainForm::SortList() {
    HeldBackUpdates held(VST1);
    FModel->SortList(FSortColumn, FSortAscending);
}

void TMainForm::VST1HeaderClick(int column) {
    if (column == FSortColumn) {
        FSortAscending = !FSortAscending;
    } else {
        FSortAscending = true;
        FSortColumn = column;
    }
    SortList();
    FRun->ListReordered();
}

void TMainForm::DeleteFilesButtonClick() {
    const int rows = FModel->rowCount();
    std::vector<bool> selected(static_cast<std::size_t>(rows), false);
    std::vector<int> selectedRows;
    for (const QModelIndex& index : VST1->selectionModel()->selectedRows()) {
        selected[static_cast<std::size_t>(index.row())] = true;
        selectedRows.push_back(index.row());
    }
    const auto candidate = ChooseFocusAfterDeletion(selected);
    const FileEntry* focus = candidate ? &FModel->List().At(*candidate) : nullptr;

    FModel->RemoveRows(selectedRows);

    QItemSelectionModel* selection = VST1->selectionModel();
    if (focus) {
        const QModelIndex index = FModel->IndexOf(focus);
        selection->setCurrentIndex(index,
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        VST1->scrollTo(index);
    } else {
        selection->clear();
    }
    UpdateStatus();
}

void TMainForm::ClearAllButtonClick() {
    FModel->Clear();
    UpdateStatus();
}

bool TMainForm::VST1KeyDown(int key, Qt::KeyboardModifiers) {
    if (key != Qt::Key_Delete)
        return false;
    if (!FConverting)
        DeleteFilesButtonClick();
    return true;
}

// --- Conversion ---

void TMainForm::ConvertButtonClick() {
    // The program's own default target is made on first use; a directory that the person
    // named is never created.
    if (JvDirectoryEdit1->Text() == PathToQString(FPlaces.defaultTargetDir))
        CreateDefaultTargetDir(FPlaces.defaultTargetDir);
    ConvertAll();
}

void TMainForm::ConvertAll() {
    FRun->Start(FJobCount > 0 ? FJobCount : JobsFrom(*FOutput), ChoicesFrom(*FOutput));
}

RunReport* TMainForm::LastRunReport() const {
    return FRun->Report();
}

// --- Options ---

void TMainForm::LoadOptions(const std::string& fileName) {
    const std::string& defaultDir = FPlaces.defaultTargetDir;
    FOptions->SetDefaultDir(defaultDir);
    FOptions->SetOrdering(0);
    FOptions->SetAscending(true);
    std::exception_ptr error;
    if (QFile::exists(PathToQString(fileName))) {
        try {
            std::string missing;
            IniSerializer().LoadObjFromIniFile(FOptions, fileName, kOptionsSection, missing);
        } catch (...) {
            error = std::current_exception();
        }
    }
    if (!error && QFile::exists(PathToQString(fileName))) {
        try {
            std::string missing;
            IniSerializer().LoadObjFromIniFile(FOutput.get(), fileName, kOutputSection, missing);
        } catch (...) {
            error = std::current_exception();
        }
    }
    if (FOptions->DefaultDir().empty())
        FOptions->SetDefaultDir(defaultDir);
    JvDirectoryEdit1->SetPath(FOptions->DefaultDir());
    FSortColumn = FOptions->Ordering();
    FSortAscending = FOptions->Ascending();
    if (error)
        std::rethrow_exception(error);
}

void TMainForm::SaveOptions(const std::string& fileName) {
    PrepareConfigDir(fileName);
    IniSerializer().SaveObjToIniFile(FOptions, fileName, kOptionsSection);
    IniSerializer().SaveObjToIniFile(FOutput.get(), fileName, kOutputSection);
}

void TMainForm::PropButtonClick() {
    TOptionsForm dialog(this);
    dialog.LoadFromOptions(*FOptions);
    dialog.LoadFromOutput(*FOutput);
    Dialogs::Current().Exec(dialog);
    if (dialog.Accepted()) {
        dialog.SaveToOptions(*FOptions);
        dialog.SaveToOutput(*FOutput);
        UpdateStatus();
    }
}

} // namespace zent
