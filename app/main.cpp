#include "app/Main.h"

#include "app/AppId.h"
#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "controls/ErrorHandler.h"

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zent"));
    QApplication::setApplicationVersion(QLatin1String(zent::kAppVersion));
    QGuiApplication::setDesktopFileName(QLatin1String(zent::kAppId));

    std::error_code error;
    const std::string currentDir = std::filesystem::current_path(error).string();
    // QApplication has taken its own options out of argv by now.
    const zent::CommandLine commandLine = zent::ParseCommandLine(argc, argv, currentDir);
    if (commandLine.exitCode) {
        std::fputs(commandLine.output.c_str(), *commandLine.exitCode == 0 ? stdout : stderr);
        return *commandLine.exitCode;
    }

    // A later start, such as a file manager's "Open with", fills the window that is open.
    zent::InstanceServer server(zent::InstanceServerName());
    if (!server.Listen() && !commandLine.files.empty() &&
        zent::SendToRunningInstance(zent::InstanceServerName(), commandLine.files))
        return 0;

    zent::TMainForm mainForm;
    zent::SetErrorParent(&mainForm);
    QObject::connect(&server, &zent::InstanceServer::FilesReceived, &mainForm,
                     [&mainForm](const std::vector<std::string>& files) {
                         zent::Guarded([&] {
                             if (mainForm.isMinimized())
                                 mainForm.showNormal();
                             mainForm.raise();
                             mainForm.activateWindow();
                             mainForm.AddShellFiles(files);
                         });
                     });
    mainForm.show();
    if (!commandLine.files.empty())
        QTimer::singleShot(0, &mainForm, [&mainForm, &commandLine] {
            zent::Guarded([&] { mainForm.AddShellFiles(commandLine.files); });
        });
    return QApplication::exec();
}
