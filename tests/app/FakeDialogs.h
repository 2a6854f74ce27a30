#pragma once

#include "controls/Dialogs.h"

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>

namespace zent::test {

// Answers every dialog at once and remembers what the program showed.
class FakeDialogs final : public Dialogs {
public:
    QStringList errors;
    QStringList laterErrors;
    std::deque<QStringList> openFileAnswers;
    std::deque<QString> directoryAnswers;
    // Plays the person in front of a modal dialog; the dialog is shown, not run modally.
    std::function<void(QDialog&)> onExec;

    void ShowError(QWidget*, const QString& message) override { errors << message; }
    void ShowErrorLater(QWidget*, const QString& message) override { laterErrors << message; }

    QStringList GetOpenFileNames(QWidget*, const QString& filter) override {
        lastFilter = filter;
        return Next(openFileAnswers);
    }

    QString GetExistingDirectory(QWidget*, const QString&, bool ownDialog) override {
        lastDirectoryWasOwnDialog = ownDialog;
        return Next(directoryAnswers);
    }

    int Exec(QDialog& dialog) override {
        dialog.show();
        if (onExec)
            onExec(dialog);
        return dialog.result();
    }

    QString lastFilter;
    bool lastDirectoryWasOwnDialog = false;

private:
    template <typename T> static T Next(std::deque<T>& answers) {
        if (answers.empty())
            return {};
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace zent::test
