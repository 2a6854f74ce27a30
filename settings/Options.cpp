#include "settings/Options.h"

#include "controls/DirectoryEdit.h"
#include "controls/ErrorHandler.h"
#include "controls/TextFit.h"
#include "settings/OutputItem.h"
#include "settings/ZentStruc.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <iterator>

namespace zent {

namespace {

constexpr int kClientWidth = 435;
constexpr int kClientHeight = 122;
constexpr int kButtonsLeft = 351;
constexpr int kButtonWidth = 75;
constexpr int kGroupWidth = 331;
// The gaps of the drawn layout: group box to buttons, buttons to the dialog's edge, the
// group box's inner margin on the right.
constexpr int kGroupToButtons = 14;
constexpr int kButtonsToEdge = 9;
constexpr int kGroupInnerMargin = 6;
constexpr int kOutputGroupTop = kClientHeight;
constexpr int kMaxOfferedJobs = 16;

const char* const kSampleFormatTexts[] = {
    QT_TRANSLATE_NOOP("zent::TOptionsForm", "As the source"),
    QT_TRANSLATE_NOOP("zent::TOptionsForm", "8-bit"),
    QT_TRANSLATE_NOOP("zent::TOptionsForm", "16-bit"),
    QT_TRANSLATE_NOOP("zent::TOptionsForm", "24-bit"),
    QT_TRANSLATE_NOOP("zent::TOptionsForm", "32-bit"),
    QT_TRANSLATE_NOOP("zent::TOptionsForm", "32-bit float"),
};
const char* const kExistingTexts[] = {
    QT_TRANSLATE_NOOP("zent::TOptionsForm", "Replace"),
    QT_TRANSLATE_NOOP("zent::TOptionsForm", "Number the new file"),
    QT_TRANSLATE_NOOP("zent::TOptionsForm", "Skip"),
};

// A combo box with its label, which is also its name for screen readers: Qt gives a combo box
// its current text as name otherwise.
QComboBox* AddCombo(QGridLayout* grid, int row, const char* name, const QString& caption) {
    auto* label = new QLabel(caption, grid->parentWidget());
    label->setObjectName(QLatin1String(name) + QStringLiteral("Label"));
    auto* combo = new QComboBox(grid->parentWidget());
    combo->setObjectName(QLatin1String(name));
    combo->setAccessibleName(caption);
    label->setBuddy(combo);
    grid->addWidget(label, row, 0);
    grid->addWidget(combo, row, 1);
    return combo;
}

QCheckBox* AddCheckBox(QGridLayout* grid, int row, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, grid->parentWidget());
    box->setObjectName(QLatin1String(name));
    grid->addWidget(box, row, 0, 1, 2);
    return box;
}

// The entry whose data is value, or the first when none is.
void SelectData(QComboBox* combo, int value) {
    combo->setCurrentIndex(std::max(0, combo->findData(value)));
}

// The labels name no control, so their accelerator letters are only drawn, never bound.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& richText, int left, int top) {
    auto* label = new QLabel(richText, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::RichText);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// The desktop's font may be wider than the one the layout was drawn for: let the check box
// show its whole caption, moving left into the room its neighbour does not use.
void FitToText(QCheckBox* box, QRadioButton* neighbour) {
    const int width = std::max(box->width(), box->sizeHint().width());
    const int right = box->parentWidget()->width() - 6;
    const int left =
        std::max(neighbour->x() + neighbour->sizeHint().width(), std::min(box->x(), right - width));
    box->setGeometry(left, box->y(), width, box->height());
    neighbour->resize(std::min(neighbour->width(), left - neighbour->x()), neighbour->height());
}

} // namespace

TOptionsForm::TOptionsForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("OptionsForm"));
    setWindowTitle(tr("Properties"));

    OKButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), tr("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(kButtonsLeft, 8, kButtonWidth, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this,
            [this] { Guarded([this] { OKButtonClick(); }); });

    CancelButton =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), tr("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(kButtonsLeft, 40, kButtonWidth, 25);
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(6, 3, kGroupWidth, 113);

    Label1 = MakeLabel(GroupBox1, "Label1", tr("Default <u>s</u>ave directory"), 12, 16);
    JvDirectoryEdit1 = new DirectoryEdit(/*ownDialog=*/true, GroupBox1);
    JvDirectoryEdit1->setObjectName(QStringLiteral("JvDirectoryEdit1"));
    JvDirectoryEdit1->setGeometry(10, 32, 309, 21);
    JvDirectoryEdit1->setToolTip(tr("Output directory"));
    JvDirectoryEdit1->LineEdit()->setToolTip(tr("Output directory"));
    JvDirectoryEdit1->LineEdit()->setAccessibleName(tr("Output directory"));

    Label2 = MakeLabel(GroupBox1, "Label2", tr("Default <u>s</u>orting"), 12, 67);
    FilenameRadio = new QRadioButton(tr("filename"), GroupBox1);
    FilenameRadio->setObjectName(QStringLiteral("FilenameRadio"));
    FilenameRadio->setGeometry(10, 86, 71, 17);
    FilenameRadio->setChecked(true);
    LengthRadio = new QRadioButton(tr("length"), GroupBox1);
    LengthRadio->setObjectName(QStringLiteral("LengthRadio"));
    LengthRadio->setGeometry(101, 86, 113, 17);
    FSortingGroup = new QButtonGroup(this);
    FSortingGroup->addButton(FilenameRadio);
    FSortingGroup->addButton(LengthRadio);
    AscOrderBox = new QCheckBox(tr("ascending order"), GroupBox1);
    AscOrderBox->setObjectName(QStringLiteral("AscOrderBox"));
    AscOrderBox->setGeometry(216, 86, 97, 17);

    BuildOutputGroup();
    FitToTexts();

    QWidget* order[] = {OKButton,
                        CancelButton,
                        JvDirectoryEdit1->LineEdit(),
                        JvDirectoryEdit1->BrowseButton(),
                        FilenameRadio,
                        LengthRadio,
                        AscOrderBox,
                        SampleFormatCombo,
                        SampleRateCombo,
                        ChannelsCombo,
                        CopyTagsBox,
                        ExistingCombo,
                        KeepFoldersBox,
                        KeepGoingBox,
                        JobsCombo};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    FormCreate();
}

void TOptionsForm::BuildOutputGroup() {
    OutputGroup = new QGroupBox(tr("Output"), this);
    OutputGroup->setObjectName(QStringLiteral("OutputGroup"));
    auto* grid = new QGridLayout(OutputGroup);
    grid->setColumnStretch(1, 1);

    SampleFormatCombo = AddCombo(grid, 0, "SampleFormatCombo", tr("Sample format"));
    for (std::size_t i = 0; i < std::size(kSampleFormatTexts); ++i)
        SampleFormatCombo->addItem(tr(kSampleFormatTexts[i]), static_cast<int>(i));

    SampleRateCombo = AddCombo(grid, 1, "SampleRateCombo", tr("Sample rate"));
    SampleRateCombo->addItem(tr("As the source"), 0);
    for (const std::int32_t rate : kOfferedSampleRates)
        SampleRateCombo->addItem(tr("%1 Hz").arg(rate), rate);

    ChannelsCombo = AddCombo(grid, 2, "ChannelsCombo", tr("Channels"));
    ChannelsCombo->addItem(tr("As the source"), 0);
    ChannelsCombo->addItem(tr("Mono"), 1);
    ChannelsCombo->addItem(tr("Stereo"), 2);

    ExistingCombo = AddCombo(grid, 3, "ExistingCombo", tr("Existing files"));
    for (std::size_t i = 0; i < std::size(kExistingTexts); ++i)
        ExistingCombo->addItem(tr(kExistingTexts[i]), static_cast<int>(i));

    JobsCombo = AddCombo(grid, 4, "JobsCombo", tr("Jobs"));
    JobsCombo->addItem(tr("As many as processors"), 0);
    for (int jobs = 1; jobs <= kMaxOfferedJobs; ++jobs)
        JobsCombo->addItem(QString::number(jobs), jobs);

    CopyTagsBox = AddCheckBox(grid, 5, "CopyTagsBox", tr("Copy tags"));
    KeepFoldersBox = AddCheckBox(grid, 6, "KeepFoldersBox", tr("Keep folders"));
    KeepGoingBox = AddCheckBox(grid, 7, "KeepGoingBox", tr("Keep going when a file fails"));
}

void TOptionsForm::FitToTexts() {
    // The sorting row: a wider caption pushes what stands right of it.
    const int shift = GrowForText(FilenameRadio, QStringLiteral("filename"));
    LengthRadio->move(LengthRadio->x() + shift, LengthRadio->y());
    AscOrderBox->move(AscOrderBox->x() + shift, AscOrderBox->y());
    GrowForText(LengthRadio, QStringLiteral("length"));
    FitToText(AscOrderBox, LengthRadio);
    const int groupWidth =
        std::max(kGroupWidth, AscOrderBox->geometry().right() + 1 + kGroupInnerMargin);
    GroupBox1->resize(groupWidth, GroupBox1->height());

    const int buttonWidth =
        kButtonWidth +
        std::max(ExtraWidthForText(OKButton, QStringLiteral("OK"), kButtonWidth),
                 ExtraWidthForText(CancelButton, QStringLiteral("Cancel"), kButtonWidth));
    const int buttonsLeft =
        std::max(kButtonsLeft, GroupBox1->geometry().right() + 1 + kGroupToButtons);
    OKButton->setGeometry(buttonsLeft, OKButton->y(), buttonWidth, OKButton->height());
    CancelButton->setGeometry(buttonsLeft, CancelButton->y(), buttonWidth, CancelButton->height());

    const QSize outputSize = OutputGroup->sizeHint();
    OutputGroup->setGeometry(GroupBox1->x(), kOutputGroupTop,
                             std::max(GroupBox1->width(), outputSize.width()), outputSize.height());
    const int width = std::max({kClientWidth, buttonsLeft + buttonWidth + kButtonsToEdge,
                                OutputGroup->geometry().right() + 1 + GroupBox1->x()});
    setFixedSize(width, OutputGroup->geometry().bottom() + 1 + GroupBox1->x());
}

void TOptionsForm::LoadFromOutput(const TOutputItem& item) {
    SampleFormatCombo->setCurrentIndex(static_cast<int>(item.SampleFormat));
    // A rate or a number of jobs written by hand is offered as it is.
    if (item.SampleRate > 0 && SampleRateCombo->findData(item.SampleRate) < 0)
        SampleRateCombo->addItem(tr("%1 Hz").arg(item.SampleRate), item.SampleRate);
    SelectData(SampleRateCombo, item.SampleRate);
    SelectData(ChannelsCombo, item.Channels);
    CopyTagsBox->setChecked(item.CopyTags);
    ExistingCombo->setCurrentIndex(static_cast<int>(item.ExistingFiles));
    KeepFoldersBox->setChecked(item.KeepFolders);
    KeepGoingBox->setChecked(item.KeepGoing);
    if (item.Jobs > kMaxOfferedJobs && JobsCombo->findData(item.Jobs) < 0)
        JobsCombo->addItem(QString::number(item.Jobs), item.Jobs);
    SelectData(JobsCombo, item.Jobs);
}

void TOptionsForm::SaveToOutput(TOutputItem& item) const {
    item.SampleFormat = static_cast<TOutputItem::Samples>(SampleFormatCombo->currentData().toInt());
    item.SampleRate = SampleRateCombo->currentData().toInt();
    item.Channels = ChannelsCombo->currentData().toInt();
    item.CopyTags = CopyTagsBox->isChecked();
    item.ExistingFiles = static_cast<TOutputItem::Existing>(ExistingCombo->currentData().toInt());
    item.KeepFolders = KeepFoldersBox->isChecked();
    item.KeepGoing = KeepGoingBox->isChecked();
    item.Jobs = JobsCombo->currentData().toInt();
}

void TOptionsForm::FormCreate() {
    FAccepted = false;
}

void TOptionsForm::OKButtonClick() {
    FAccepted = true;
    accept();
}

void TOptionsForm::LoadFromOptions(const TOptionsItem& item) {
    JvDirectoryEdit1->SetPath(item.DefaultDir());
    // An ordering other than 0 or 1 (hand-edited) checks neither button.
    FSortingGroup->setExclusive(false);
    FilenameRadio->setChecked(item.Ordering() == 0);
    LengthRadio->setChecked(item.Ordering() == 1);
    FSortingGroup->setExclusive(true);
    AscOrderBox->setChecked(item.Ascending());
}

void TOptionsForm::SaveToOptions(TOptionsItem& item) const {
    item.SetDefaultDir(JvDirectoryEdit1->Path());
    item.SetOrdering(FilenameRadio->isChecked() ? 0 : 1);
    item.SetAscending(AscOrderBox->isChecked());
}

} // namespace zent
