#include "settings/Options.h"

#include "controls/DirectoryEdit.h"
#include "controls/ErrorHandler.h"
#include "settings/ZentStruc.h"

#include <QButtonGroup>
#include <QCheckBox>
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
    setFixedSize(kClientWidth, kClientHeight);

    OKButton = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), tr("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(351, 8, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this,
            [this] { Guarded([this] { OKButtonClick(); }); });

    CancelButton =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), tr("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(351, 40, 75, 25);
    CancelButton->setAutoDefault(false);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(6, 3, 331, 113);

    Label1 = MakeLabel(GroupBox1, "Label1", tr("Default <u>s</u>ave directory"), 12, 16);
    JvDirectoryEdit1 = new DirectoryEdit(/*ownDialog=*/true, GroupBox1);
    JvDirectoryEdit1->setObjectName(QStringLiteral("JvDirectoryEdit1"));
    JvDirectoryEdit1->setGeometry(10, 32, 309, 21);
    JvDirectoryEdit1->setToolTip(tr("Output directory"));
    JvDirectoryEdit1->LineEdit()->setToolTip(tr("Output directory"));

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
    FitToText(AscOrderBox, LengthRadio);

    QWidget* order[] = {OKButton,
                        CancelButton,
                        JvDirectoryEdit1->LineEdit(),
                        JvDirectoryEdit1->BrowseButton(),
                        FilenameRadio,
                        LengthRadio,
                        AscOrderBox};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    FormCreate();
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
