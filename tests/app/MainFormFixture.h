#pragma once

#include "app/Main.h"
#include "filelist/FileListModel.h"
#include "tests/app/FakeDialogs.h"
#include "tests/support/AudioFixtures.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QToolButton>
#include <QTreeView>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace zent::test {

// A real main window whose executable directory is a fresh temporary directory and whose
// dialogs are answered by FakeDialogs.
class MainFormTest : public ::testing::Test {
protected:
    TempDir appDir;
    TempDir media;
    FakeDialogs dialogs;
    Dialogs::Override dialogsOverride{dialogs};
    std::unique_ptr<TMainForm> form;

    void TearDown() override { form.reset(); }

    void StartForm() {
        form = std::make_unique<TMainForm>(QString::fromStdString(appDir.Path().string()));
        form->show();
        QApplication::processEvents();
    }

    template <typename T> T* Child(const char* name) const {
        T* child = form->findChild<T*>(QLatin1String(name));
        if (!child)
            ADD_FAILURE() << "no control named " << name;
        return child;
    }

    QString StatusPanel(int panel) const {
        return Child<QLabel>(panel == 0 ? "StatusPanel0" : "StatusPanel1")->text();
    }

    // Lets the window work until its run is over.
    void WaitForRun() {
        QApplication::processEvents();
        while (form->Converting())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    QTreeView* List() const { return Child<QTreeView>("VST1"); }
    int Rows() const { return form->Model().rowCount(); }
    QString NameAt(int row) const {
        return form->Model().index(row, FileListModel::FilenameColumn).data().toString();
    }

    std::filesystem::path Mp3(const std::string& name, double seconds = 1.0) const {
        const auto path = media.File(name);
        EncodeMp3(path, ToneSpec{44100, 2, seconds});
        return path;
    }

    std::filesystem::path Ogg(const std::string& name, double seconds = 1.0) const {
        const auto path = media.File(name);
        EncodeOgg(path, ToneSpec{44100, 2, seconds});
        return path;
    }

    std::filesystem::path TextFile(const std::string& name) const {
        const auto path = media.File(name);
        std::ofstream(path) << "this is not audio, only text that claims to be\n";
        return path;
    }

    std::filesystem::path ConfigFile() const { return appDir.File("zent.cfg"); }

    void WriteConfig(const std::string& text) const { std::ofstream(ConfigFile()) << text; }

    std::string ReadConfig() const {
        std::ifstream in(ConfigFile());
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void AddThroughDialog(const QStringList& paths) {
        dialogs.openFileAnswers.push_back(paths);
        Child<QToolButton>("AddFilesButton")->click();
    }
};

inline QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// A file URL that carries the path's bytes, as a file manager sends it, valid UTF-8 or not.
inline QUrl FileUrl(const std::filesystem::path& path) {
    return QUrl::fromEncoded("file://" +
                             QByteArray::fromStdString(path.native()).toPercentEncoding("/"));
}

// The widgets that the Tab key stops at, hidden ones included, once round from the first: each
// by its object name, or by its class when it has none.
inline QStringList TabStops(QWidget* first) {
    QStringList stops{first->objectName()};
    for (QWidget* next = first->nextInFocusChain(); next != first && stops.size() < 100;
         next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) && next->window() == first->window())
            stops << (next->objectName().isEmpty() ? next->metaObject()->className()
                                                   : next->objectName());
    }
    return stops;
}

// Sends a drop to the list's viewport the way the window system does.
inline void Drop(QTreeView* list, QMimeData* data) {
    const QPoint at = list->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                          Qt::NoModifier);
    QCoreApplication::sendEvent(list->viewport(), &enter);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(list->viewport(), &drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    delete data;
}

} // namespace zent::test
