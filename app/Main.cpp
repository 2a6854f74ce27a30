#include "app/Main.h"

#include "app/AppId.h"
#include "app/CoreTexts.h"
#include "app/FileListView.h"
#include "app/Guards.h"
#include "app/Icons.h"
#include "app/LinkLabel.h"
#include "app/OutputChoices.h"
#include "app/RunFeedback.h"
#include "app/RunReport.h"
#include "app/WindowKeys.h"
#include "app/WindowRun.h"
#include "controls/Colors.h"
#include "controls/Dialogs.h"
#include "controls/DirectoryEdit.h"
#include "controls/ErrorHandler.h"
#include "controls/ProgressCyl.h"
#include "controls/TextFit.h"
#include "decode/Decoder.h"
#include "filelist/FileListModel.h"
#include "filelist/Formats.h"
#include "filelist/Paths.h"
#include "filelist/ProbeBatch.h"
#include "framework/Component.h"
#include "framework/Errors.h"
#include "framework/PathText.h"
#include "framework/Processors.h"
#include "settings/Options.h"
#include "settings/OutputItem.h"
#include "settings/ZentStruc.h"
#include "settings/clSerializers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <thread>

namespace zent {

namespace {

constexpr int kClientWidth = 531;
constexpr int kClientHeight = 457;
constexpr int kTopPanelHeight = 97;
constexpr int kStatusBarHeight = 19;
constexpr int kStatusPanel0Width = 100;
constexpr int kButtonWidth = 60;
constexpr int kButtonHeight = 70;
constexpr int kNameColumnWidth = 359;
constexpr int kLengthColumnWidth = 50;
constexpr int kSizeColumnWidth = 95;
// Up to this many files are probed at once on the window's thread; more go to worker threads
// so that the window keeps answering while they are listed.
constexpr std::size_t kProbeInWindowLimit = 64;
constexpr int kProbeDeliveryMs = 50;
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

QToolButton* MakeButton(QWidget* parent, const char* name, ButtonIcon icon, const QString& hint,
                        int left) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(MakeButtonIcon(icon));
    button->setIconSize(QSize(32, 32));
    button->setAutoRaise(true);
    button->setToolTip(hint);
    button->setGeometry(left, 0, kButtonWidth, kButtonHeight);
    return button;
}

// A status panel shows as much of its text as fits: a long file name must never widen the
// window. text() keeps the whole text.
class StatusPanel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override { return {0, QLabel::minimumSizeHint().height()}; }
    QSize sizeHint() const override { return {0, QLabel::sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QRect area = contentsRect();
        const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, area.width());
        style()->drawItemText(&painter, area,
                              QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                              isEnabled(), shown, foregroundRole());
    }
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
    FormCreate();
}

TMainForm::~TMainForm() = default; // FormDestroy: the options go with their owner component

void TMainForm::BuildControls() {
    setWindowTitle(tr(kMainCaption));
    setWindowIcon(MakeWindowIcon());

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    setCentralWidget(Panel1);
    auto* layout = new QVBoxLayout(Panel1);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    TopPanel = new QWidget(Panel1);
    TopPanel->setObjectName(QStringLiteral("TopPanel"));
    TopPanel->setFixedHeight(kTopPanelHeight);
    AddFilesButton = MakeButton(TopPanel, "AddFilesButton", ButtonIcon::Add,
                                tr("Add MP3 or OGG files for processing"), 0);
    DeleteFilesButton = MakeButton(TopPanel, "DeleteFilesButton", ButtonIcon::Delete,
                                   tr("Remove selected files from processing"), 60);
    ClearAllButton =
        MakeButton(TopPanel, "ClearAllButton", ButtonIcon::ClearAll, tr("Clear all files"), 120);
    PropButton = MakeButton(TopPanel, "PropButton", ButtonIcon::Properties,
                            tr("Set default processing properties"), 180);
    ConvertButton =
        MakeButton(TopPanel, "ConvertButton", ButtonIcon::Convert, tr("Start conversion"), 240);
    ExitButton =
        MakeButton(TopPanel, "ExitButton", ButtonIcon::Exit, tr("Exit this application"), 300);
    StopButton = MakeButton(TopPanel, "StopButton", ButtonIcon::Stop, tr("Stop conversion"), 360);

    JvDirectoryEdit1 = new DirectoryEdit(/*ownDialog=*/false, TopPanel);
    JvDirectoryEdit1->setObjectName(QStringLiteral("JvDirectoryEdit1"));
    JvDirectoryEdit1->setGeometry(1, 72, 360, 21);
    JvDirectoryEdit1->setToolTip(tr("Output directory"));
    JvDirectoryEdit1->LineEdit()->setToolTip(tr("Output directory"));
    JvDirectoryEdit1->LineEdit()->setAccessibleName(tr("Output directory"));

    Label2 = new QLabel(tr("For updates go to"), TopPanel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(373, 9);
    Label2->adjustSize();

    JvLabel2 = new LinkLabel(QUrl(QLatin1String(kUpdatePageUrl)), TopPanel);
    JvLabel2->setObjectName(QStringLiteral("JvLabel2"));
    JvLabel2->move(372, 25);
    JvLabel2->adjustSize();

    FModel = new FileListModel(this);
    FModel->SetFileIcon(MakeFileIcon());
    VST1 = new FileListView(Panel1);
    VST1->setObjectName(QStringLiteral("VST1"));
    VST1->setAccessibleName(tr("Files to convert"));
    VST1->setModel(FModel);
    FModel->SetHeaderTexts({tr("Filename"), tr("Length"), tr("Projected filesize")});
    VST1->setIconSize(QSize(16, 16));
    // The short columns are widened to their header texts in whatever font the desktop
    // uses; the name column gives up that room so the three still fit the window.
    QHeaderView* header = VST1->header();
    const int lengthWidth =
        std::max(kLengthColumnWidth, header->sectionSizeHint(FileListModel::LengthColumn));
    const int sizeWidth =
        std::max(kSizeColumnWidth, header->sectionSizeHint(FileListModel::SizeColumn));
    header->resizeSection(FileListModel::LengthColumn, lengthWidth);
    header->resizeSection(FileListModel::SizeColumn, sizeWidth);
    const int widened = (lengthWidth - kLengthColumnWidth) + (sizeWidth - kSizeColumnWidth);
    header->resizeSection(FileListModel::FilenameColumn, kNameColumnWidth - widened);
    VST1->OnKeyDown = [this](int key, Qt::KeyboardModifiers modifiers) {
        bool handled = false;
        Guarded([&] { handled = VST1KeyDown(key, modifiers); });
        return handled;
    };
    VST1->OnDragDrop = [this](const QMimeData* mime) {
        Guarded([&] { VST1DragDrop(mime); });
    };
    connect(VST1->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { Guarded([&] { VST1HeaderClick(column); }); });
    connect(VST1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { Guarded([&] { VST1Change(); }); });
    connect(VST1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { Guarded([&] { VST1Change(); }); });

    TotalProgressCyl = new TProgressCyl(Panel1);
    TotalProgressCyl->setObjectName(QStringLiteral("TotalProgressCyl"));
    TotalProgressCyl->setAccessibleName(tr("Progress of all files"));
    ConfigureProgramBar(*TotalProgressCyl, clLime);
    ProgressCyl1 = new TProgressCyl(Panel1);
    ProgressCyl1->setObjectName(QStringLiteral("ProgressCyl1"));
    ProgressCyl1->setAccessibleName(tr("Progress of the current file"));
    ConfigureProgramBar(*ProgressCyl1, clYellow);

    StatusBar1 = new QStatusBar(Panel1);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(true);
    FStatusPanel0 = new StatusPanel(StatusBar1);
    FStatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    FStatusPanel1 = new StatusPanel(StatusBar1);
    FStatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusBar1->addWidget(FStatusPanel0);
    StatusBar1->addWidget(FStatusPanel1, 1);
    FitStatusBar();

    layout->addWidget(TopPanel);
    layout->addWidget(VST1, 1);
    layout->addWidget(TotalProgressCyl);
    layout->addWidget(ProgressCyl1);
    layout->addWidget(StatusBar1);

    // Keyboard order as a person moves through the window; the focus starts in the list.
    FFocusChain = {VST1,
                   AddFilesButton,
                   DeleteFilesButton,
                   ConvertButton,
                   ClearAllButton,
                   ExitButton,
                   JvDirectoryEdit1->LineEdit(),
                   JvDirectoryEdit1->BrowseButton(),
                   StopButton,
                   PropButton};
    for (std::size_t i = 0; i + 1 < FFocusChain.size(); ++i)
        setTabOrder(FFocusChain[i], FFocusChain[i + 1]);
    VST1->setFocus();

    const auto onClick = [this](QToolButton* button, void (TMainForm::*handler)()) {
        connect(button, &QToolButton::clicked, this,
                [this, handler] { Guarded([&] { (this->*handler)(); }); });
    };
    onClick(AddFilesButton, &TMainForm::AddFilesButtonClick);
    onClick(DeleteFilesButton, &TMainForm::DeleteFilesButtonClick);
    onClick(ClearAllButton, &TMainForm::ClearAllButtonClick);
    onClick(PropButton, &TMainForm::PropButtonClick);
    onClick(ConvertButton, &TMainForm::ConvertButtonClick);
    onClick(ExitButton, &TMainForm::ExitButtonClick);
    onClick(StopButton, &TMainForm::StopButtonClick);

    // Keys for keyboard users, named in the tooltips; the hints name the buttons for screen
    // readers.
    DescribeButton(AddFilesButton, AddFilesButton->toolTip(),
                   QKeySequence::keyBindings(QKeySequence::Open));
    DescribeButton(DeleteFilesButton, DeleteFilesButton->toolTip(), {QKeySequence(Qt::Key_Delete)},
                   /*bind=*/false); // the list's own key
    DescribeButton(ClearAllButton, ClearAllButton->toolTip());
    DescribeButton(PropButton, PropButton->toolTip(), PreferencesKeys());
    DescribeButton(
        ConvertButton, ConvertButton->toolTip(),
        {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    DescribeButton(ExitButton, ExitButton->toolTip(),
                   QKeySequence::keyBindings(QKeySequence::Quit));
    DescribeButton(StopButton, StopButton->toolTip(), {QKeySequence(Qt::Key_Escape)});
    DescribeButton(JvDirectoryEdit1->BrowseButton(), JvDirectoryEdit1->BrowseButton()->toolTip());

    // Extra width goes to the file names and the directory field; the buttons never clip.
    header->setSectionResizeMode(FileListModel::FilenameColumn, QHeaderView::Stretch);
    StretchWithParent(JvDirectoryEdit1, 2);
    TopPanel->setMinimumWidth(JvDirectoryEdit1->geometry().right() + 2);

    resize(kClientWidth, kClientHeight);

    auto* addFolder = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), this);
    connect(addFolder, &QShortcut::activated, this, [this] {
        if (AddFilesButton->isEnabled())
            Guarded([this] { AddFolderClick(); });
    });
    FRun = std::make_unique<WindowRun>(WindowRun::Parts{
        *this, *FModel, *VST1, *JvDirectoryEdit1, *ProgressCyl1, *TotalProgressCyl, FRunFeedback});

    std::vector<std::unique_ptr<RunFeedback>> feedback;
    feedback.push_back(std::make_unique<TaskbarProgress>(QLatin1String(kAppId)));
    feedback.push_back(std::make_unique<RunNotifier>(
        QLatin1String(kAppId), [this] { return isActiveWindow(); }, kNotifyAfterMsecs));
    SetRunFeedback(std::move(feedback));
}

void TMainForm::SetRunFeedback(std::vector<std::unique_ptr<RunFeedback>> feedback) {
    FRunFeedback = std::move(feedback);
}

// The status bar keeps its 19 pixels unless its font needs more; panel 0 its 100 unless a
// translation of its texts needs more than the English.
void TMainForm::FitStatusBar() {
    constexpr int kStatusBarFrame = 4; // above and below the panels' text
    StatusBar1->setFixedHeight(
        std::max(kStatusBarHeight, FStatusPanel0->sizeHint().height() + kStatusBarFrame));
    const CoreText texts[] = {
        {CoreTextId::OpeningFile}, {CoreTextId::ClosingFile}, {CoreTextId::Done, {"100"}}};
    QStringList english;
    QStringList shown;
    for (const CoreText& text : texts) {
        english << QString::fromStdString(text.English());
        shown << ShownCoreText(text);
    }
    english << QStringLiteral("%n file(s)");
    shown << tr("%n file(s)", nullptr, 100);
    FStatusPanel0->setFixedWidth(
        kStatusPanel0Width +
        ExtraWidthForTexts(FStatusPanel0->fontMetrics(), shown, english, kStatusPanel0Width));
}

// Tab and Backtab go round the window's own order, skipping what cannot take the focus;
// after the last control the list comes again.
bool TMainForm::focusNextPrevChild(bool next) {
    const auto current = std::find(FFocusChain.begin(), FFocusChain.end(), focusWidget());
    if (current == FFocusChain.end())
        return QMainWindow::focusNextPrevChild(next);
    const auto size = static_cast<std::ptrdiff_t>(FFocusChain.size());
    std::ptrdiff_t index = current - FFocusChain.begin();
    for (std::ptrdiff_t step = 1; step < size; ++step) {
        index = (index + (next ? 1 : size - 1)) % size;
        QWidget* candidate = FFocusChain[static_cast<std::size_t>(index)];
        if (candidate->isVisibleTo(this) && candidate->isEnabled()) {
            candidate->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return true;
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
        HeldBackUpdates held(VST1);
        try {
            for (const std::string& path : paths)
                if (FileEntry* entry = FModel->AddFile(path))
                    TakeFolder(*entry);
        } catch (...) {
            error = std::current_exception();
        }
    }
    UpdateStatus();
    FRun->EntriesAdded();
    if (error)
        std::rethrow_exception(error);
}

void TMainForm::TakeFolder(FileEntry& entry) {
    if (const auto found = FFolderOf.find(entry.SourcePath); found != FFolderOf.end()) {
        entry.Folder = std::move(found->second);
        FFolderOf.erase(found);
    }
}

void TMainForm::StartProbing() {
    if (FWaitingAdds.empty())
        return;
    if (!FProbeTimer) {
        FProbeTimer = new QTimer(this);
        connect(FProbeTimer, &QTimer::timeout, this, [this] { Guarded([this] { AddProbed(); }); });
    }
    FProbe = std::make_unique<ProbeBatch>(FWaitingAdds.front(), UsableProcessorCount());
    FWaitingAdds.pop_front();
    FProbeTimer->start(kProbeDeliveryMs);
}

void TMainForm::AddProbed() {
    if (!FProbe)
        return;
    std::exception_ptr error;
    std::vector<ProbeBatch::Result> ready = FProbe->TakeReady();
    if (!ready.empty()) {
        HeldBackUpdates held(VST1);
        for (ProbeBatch::Result& result : ready) {
            TakeFolder(result.Entry);
            FModel->AppendEntry(std::move(result.Entry));
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
        UpdateStatus();
        FRun->EntriesAdded();
    }
    if (error)
        ReportAddError(error);
}

void TMainForm::ReportAddError(std::exception_ptr error) {
    // The error is shown once the event is over, so that the program the files came from is
    // not kept waiting; during a run the box does not wait either, or it would hold the run.
    if (FConverting)
        Dialogs::Current().ShowErrorLater(this, ExceptionMessage(error));
    else
        QTimer::singleShot(0, this, [error] { HandleException(error); });
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

void TMainForm::AddDroppedFiles(const QMimeData& mime) {
    std::vector<std::string> paths;
    for (const QUrl& url : mime.urls()) {
        if (std::string path = PathFromFileUrl(url); !path.empty())
            paths.push_back(std::move(path));
    }
    AddShellFiles(paths);
}

void TMainForm::AddShellFiles(const std::vector<std::string>& paths) {
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
