// The main window's controls: made, laid out and wired to their handlers, with their keys,
// hints and tab order (TMainForm's members; the class is in Main.h).
#include "app/CoreTexts.h"
#include "app/FileListView.h"
#include "app/Icons.h"
#include "app/LinkLabel.h"
#include "app/Main.h"
#include "app/WindowKeys.h"
#include "controls/Colors.h"
#include "controls/DirectoryEdit.h"
#include "controls/ErrorHandler.h"
#include "controls/ProgressCyl.h"
#include "controls/TextFit.h"
#include "filelist/FileListModel.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>

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

} // namespace zent
