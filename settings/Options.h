#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace zent {

class DirectoryEdit;
class TOptionsItem;
class TOutputItem;

// The "Properties" dialog: edits the default target directory and the default sort order,
// and below them what a conversion writes. Only OK takes the values; whatever else closes it
// leaves the records alone.
class TOptionsForm : public QDialog {
    Q_OBJECT
public:
    explicit TOptionsForm(QWidget* parent = nullptr);

    bool Accepted() const { return FAccepted; }
    void LoadFromOptions(const TOptionsItem& item);
    void SaveToOptions(TOptionsItem& item) const;
    void LoadFromOutput(const TOutputItem& item);
    void SaveToOutput(TOutputItem& item) const;

    void OKButtonClick();

private:
    void FormCreate();
    void BuildOutputGroup();
    void FitToTexts();

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
    QGroupBox* OutputGroup = nullptr;
    QComboBox* SampleFormatCombo = nullptr;
    QComboBox* SampleRateCombo = nullptr;
    QComboBox* ChannelsCombo = nullptr;
    QCheckBox* CopyTagsBox = nullptr;
    QComboBox* ExistingCombo = nullptr;
    QCheckBox* KeepFoldersBox = nullptr;
    QCheckBox* KeepGoingBox = nullptr;
    QComboBox* JobsCombo = nullptr;
};

} // namespace zent
