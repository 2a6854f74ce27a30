#include "controls/Dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace zent {

namespace {

class QtDialogs final : public Dialogs {
public:
    void ShowError(QWidget* parent, const QString& message) override {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), message, QMessageBox::Ok,
                        parent);
        box.exec();
    }

    void ShowErrorLater(QWidget* parent, const QString& message) override {
        auto* box = new QMessageBox(QMessageBox::Critical, QStringLiteral("Error"), message,
                                    QMessageBox::Ok, parent);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        box->show();
    }

    QStringList GetOpenFileNames(QWidget* parent, const QString& filter) override {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setNameFilter(ToQtFileFilter(filter));
        dialog.setOption(QFileDialog::ReadOnly, false);
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
    // "Description|*.a; *.b" pairs become "Description (*.a *.b)" entries.
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns = patterns.simplified();
        // Qt reads the patterns from the parentheses, separated by blanks only.
        const QString description = parts[i].section(QLatin1Char('('), 0, 0).trimmed();
        entries << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace zent
