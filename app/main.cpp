#include "app/Main.h"

#include "app/AppId.h"
#include "app/CloseOnSignals.h"
#include "app/CommandLine.h"
#include "app/SingleInstance.h"
#include "app/Translations.h"
#include "controls/ErrorHandler.h"
#include "framework/StandardDescriptors.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

void Describe() {
    QCoreApplication::setApplicationName(QStringLiteral("Zent"));
    QCoreApplication::setApplicationVersion(QLatin1String(zent::kAppVersion));
}

std::string CurrentDir() {
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

// For a command line that ends the program: prints its text and gives the exit code.
int Finish(const zent::CommandLine& commandLine) {
    const int code = commandLine.exitCode.value_or(0);
    std::fputs(commandLine.output.c_str(), code == 0 ? stdout : stderr);
    return code;
}

} // namespace

int main(int argc, char** argv) {
    zent::OpenMissingStandardDescriptors();
    const std::string currentDir = CurrentDir();
    if (zent::AsksOnlyForText(argc, argv)) {
        // Help and version work without a display; the list of Qt's own options needs the
        // widgets' application object, which the offscreen platform gives without one.
        std::unique_ptr<QCoreApplication> core;
        if (zent::AsksForQtOptions(argc, argv)) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            core = std::make_unique<QApplication>(argc, argv);
        } else {
            core = std::make_unique<QCoreApplication>(argc, argv);
        }
        Describe();
        return Finish(zent::ParseCommandLine(argc, argv, currentDir));
    }

    QApplication application(argc, argv);
    Describe();
    QGuiApplication::setDesktopFileName(QLatin1String(zent::kAppId));
    // QApplication has taken its own options out of argv by now.
    const zent::CommandLine commandLine = zent::ParseCommandLine(argc, argv, currentDir);
    if (commandLine.exitCode)
        return Finish(commandLine);
    zent::LoadTranslations();
    // Folders too: the window adds the audio files below them.
    const std::vector<std::string>& startFiles = commandLine.files;

    // A later start, such as a file manager's "Open with", fills the window that is open.
    zent::InstanceServer server(zent::InstanceServerName());
    if (!server.Listen() && !startFiles.empty() &&
        zent::SendToRunningInstance(zent::InstanceServerName(), startFiles))
        return 0;

    zent::TMainForm mainForm;
    zent::SetErrorParent(&mainForm);
    const zent::CloseOnSignals closeOnSignals(mainForm);
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
    if (!startFiles.empty())
        QTimer::singleShot(0, &mainForm, [&mainForm, &startFiles] {
            zent::Guarded([&] { mainForm.AddShellFiles(startFiles); });
        });
    return QApplication::exec();
}
