#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace zent {

// Every modal dialog the program shows goes through here, so that tests can answer them
// without a modal loop.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // An error box: error icon, caption "Error", one OK button.
    virtual void ShowError(QWidget* parent, const QString& message) = 0;
    // The same box, shown without waiting for it to be dismissed.
    virtual void ShowErrorLater(QWidget* parent, const QString& message) = 0;
    // Several existing files at once; the filter in the form "Description|*.a; *.b".
    // Empty when cancelled.
    virtual QStringList GetOpenFileNames(QWidget* parent, const QString& filter) = 0;
    // The system's folder browser, or the program's own directory dialog. Empty when cancelled.
    virtual QString GetExistingDirectory(QWidget* parent, const QString& start, bool ownDialog) = 0;
    // Runs a dialog modally and returns its result code.
    virtual int Exec(QDialog& dialog) = 0;

    static Dialogs& Current();
    // Replaces the dialogs for as long as the returned object lives.
    class Override;
};

class Dialogs::Override {
public:
    explicit Override(Dialogs& replacement);
    ~Override();
    Override(const Override&) = delete;
    Override& operator=(const Override&) = delete;

private:
    Dialogs* FPrevious;
};

// "Description|*.a; *.b" as Qt's "Description (*.a *.b)".
QString ToQtFileFilter(const QString& filter);

} // namespace zent
