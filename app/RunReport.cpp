#include "app/RunReport.h"

#include "app/CoreTexts.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zent {

namespace {

constexpr int kInitialWidth = 640;
constexpr int kInitialHeight = 300;

QString OutcomeText(FileOutcome outcome) {
    switch (outcome) {
    case FileOutcome::Failed:
        return RunReport::tr("Failed");
    case FileOutcome::Skipped:
        return RunReport::tr("Skipped");
    case FileOutcome::Converted:
        return RunReport::tr("Converted with a warning");
    case FileOutcome::Stopped:
    case FileOutcome::Abandoned:
        break;
    }
    return RunReport::tr("Stopped");
}

QString ReasonText(const RunReportRow& row) {
    if (row.Outcome == FileOutcome::Skipped && row.Reasons.empty())
        return RunReport::tr("A file of this name was there already and was left as it was.");
    QStringList shown;
    for (const CoreText& reason : row.Reasons)
        shown << ShownCoreText(reason);
    return shown.join(QStringLiteral("; "));
}

} // namespace

RunReport::RunReport(const std::vector<RunReportRow>& rows, QWidget* parent)
    : QDialog(parent), FTable(new QTableWidget(static_cast<int>(rows.size()), 3, this)) {
    setObjectName(QStringLiteral("RunReport"));
    setWindowTitle(tr("Run report"));
    setAccessibleName(tr("Run report"));
    setAttribute(Qt::WA_DeleteOnClose);

    FTable->setObjectName(QStringLiteral("ReportTable"));
    FTable->setAccessibleName(tr("Run report"));
    FTable->setHorizontalHeaderLabels({tr("File"), tr("Outcome"), tr("Reason")});
    FTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    FTable->verticalHeader()->hide();
    FTable->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const RunReportRow& entry = rows[static_cast<std::size_t>(row)];
        FTable->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(entry.FileName)));
        FTable->setItem(row, 1, new QTableWidgetItem(OutcomeText(entry.Outcome)));
        FTable->setItem(row, 2, new QTableWidgetItem(ReasonText(entry)));
    }
    FTable->resizeColumnsToContents();

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* copy = buttons->addButton(tr("Copy"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("CopyButton"));
    connect(copy, &QPushButton::clicked, this, [this] { CopyButtonClick(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(FTable);
    layout->addWidget(buttons);
    resize(kInitialWidth, kInitialHeight);
}

QString RunReport::Text() const {
    QString text;
    const auto line = [&text](const QStringList& cells) {
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    };
    QStringList captions;
    for (int column = 0; column < FTable->columnCount(); ++column)
        captions << FTable->horizontalHeaderItem(column)->text();
    line(captions);
    for (int row = 0; row < FTable->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < FTable->columnCount(); ++column)
            cells << FTable->item(row, column)->text();
        line(cells);
    }
    return text;
}

void RunReport::CopyButtonClick() {
    QApplication::clipboard()->setText(Text());
}

} // namespace zent
