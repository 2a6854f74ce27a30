#include "app/Main.h"

#include "controls/ErrorHandler.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zent"));
    zent::TMainForm mainForm;
    zent::SetErrorParent(&mainForm);
    mainForm.show();
    return QApplication::exec();
}
