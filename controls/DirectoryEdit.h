#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace zent {

// One line of editable text naming a directory, with a browse button that replaces the text
// by a chosen folder.
class DirectoryEdit : public QWidget {
    Q_OBJECT
public:
    // ownDialog: browse with the program's own directory dialog instead of the system's.
    explicit DirectoryEdit(bool ownDialog, QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    QLineEdit* LineEdit() const { return FEdit; }
    QToolButton* BrowseButton() const { return FBrowse; }

private:
    void BrowseClick();

    QLineEdit* FEdit;
    QToolButton* FBrowse;
    bool FOwnDialog;
};

} // namespace zent
