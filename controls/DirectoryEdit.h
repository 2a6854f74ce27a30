#pragma once

#include <QWidget>
#include <string>

class QLineEdit;
class QToolButton;

namespace zent {

// One line of editable text naming a directory, with a browse button that replaces the text
// by a chosen folder. A path set as bytes is shown readably and given back as the same bytes
// for as long as its text is not edited, also when the bytes are not valid text.
class DirectoryEdit : public QWidget {
    Q_OBJECT
public:
    // ownDialog: browse with the program's own directory dialog instead of the system's.
    explicit DirectoryEdit(bool ownDialog, QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    std::string Path() const;
    void SetPath(const std::string& path);
    QLineEdit* LineEdit() const { return FEdit; }
    QToolButton* BrowseButton() const { return FBrowse; }

private:
    void BrowseClick();

    QLineEdit* FEdit;
    QToolButton* FBrowse;
    bool FOwnDialog;
    bool FPathSet = false;
    std::string FPath;
    QString FShownPath; // the text that FPath was shown as
};

} // namespace zent
