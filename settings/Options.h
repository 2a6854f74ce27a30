#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace zent {

class DirectoryEdit;
class TOptionsItem;

// The "Properties" dialog: edits the default target directory and the default sort order.
// Only OK takes the values; whatever else closes it leaves the record alone.
class TOptionsForm : public QDialog {
    Q_OBJECT
public:
    explicit TOptionsForm(QWidget* parent = nullptr);

    bool Accepted() const { return FAccepted; }
    void LoadFromOptions(const TOptionsItem& item);
    void SaveToOptions(TOptionsItem& item) const;

    void OKButtonClick();

private:
    void FormCreate();

    bool FAccepted = false;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    DirectoryEdit* JvDirectoryEdit1 = nullptr;
    QLabel* Label2 = nullptr;
    QRadioButton* FilenameRadio = nullptr;
    QRadioButton* LengthRadio = nullptr;
    QCheckBox* AscOrderBox = nullptr;
    QButtonGroup* FSortingGroup = nullptr;
};

} // namespace zent
