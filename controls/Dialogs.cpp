#include "controls/Dialogs.h"

#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace zent {

namespace {

class QtDialogs final : public Dialogs {
public:
    void ShowError(QWidget* parent, const QString& message) override {
        QMessageBox box(QMessageBox::Critical,
                        QCoreApplication::translate("zent::Dialogs", "Error"), message,
                        QMessageBox::Ok, parent);
        box.exec();
    }

    void ShowErrorLater(QWidget* parent, const QString& message) override {
        auto* box = new QMessageBox(QMessageBox::Critical,
                                    QCoreApplication::translate("zent::Dialogs", "Error"), message,
                                    QMessageBox::Ok, parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    }

    QStringList GetOpenFileNames(QWidget* parent, const QString& filter) override {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // The description is shown as written; the patterns come from the hidden details.
        dialog.setOption(QFileDialog::HideNameFilterDetails);
        dialog.setNameFilter(ToQtFileFilter(filter));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        if (dialog.exec() != QDialog::Accepted)
            return {};
        return dialog.selectedFiles();
    }

    QString GetExistingDirectory(QWidget* parent, const QString& start, bool ownDialog) override {
        QFileDialog::Options options = QFileDialog::ShowDirsOnly;
        if (ownDialog)
            options |= QFileDialog::DontUseNativeDialog;
        return QFileDialog::getExistingDirectory(parent, QString(), start, options);
    }

    int Exec(QDialog& dialog) override { return dialog.exec(); }
};

QtDialogs gQtDialogs;
Dialogs* gCurrent = &gQtDialogs;

} // namespace

Dialogs& Dialogs::Current() {
    return *gCurrent;
}

Dialogs::Override::Override(Dialogs& replacement) : FPrevious(gCurrent) {
    gCurrent = &replacement;
}

Dialogs::Override::~Override() {
    gCurrent = FPrevious;
}

QString ToQtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        // Qt takes blank-separated patterns from the last parentheses of an entry.
        const QString patterns = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        entries << parts[i] + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace zent
