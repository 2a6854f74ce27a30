#pragma once

#include "convert/ConversionRun.h"

#include <QDialog>
#include <QString>
#include <vector>

class QTableWidget;

namespace zent {

// The files of a run that failed, were skipped or converted with a warning: a table of file,
// outcome and reason, and a button that copies it as text. Not modal: the list stays usable.
class RunReport : public QDialog {
    Q_OBJECT
public:
    explicit RunReport(const std::vector<RunReportRow>& rows, QWidget* parent = nullptr);

    // Tab-separated, a line per row, the captions first.
    QString Text() const;
    void CopyButtonClick();

private:
    QTableWidget* FTable;
};

} // namespace zent
