// The hand-over of files from a later start: only between one user's own programs, and no
// client can hold the window's resources.
#include "app/SingleInstance.h"

#include "app/AppId.h"
#include "tests/support/TempDir.h"

#include <QApplication>
#include <QDataStream>
#include <QLocalSocket>
#include <QSignalSpy>
#include <chrono>
#include <filesystem>
#include <future>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace zent {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kOtherUser = 65534;

QString Q(const fs::path& path) {
    return QString::fromStdString(path.string());
}

template <class T> T ServeUntilReady(std::future<T>& result) {
    while (result.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready)
        QApplication::processEvents();
    return result.get();
}

TEST(SingleInstanceTest, SocketDirectoryIsTheUsersOwnOrNone) {
    test::TempDir dir;
    const QString fallback = Q(dir.Path()) + "/" + kAppId + "-" + QString::number(::getuid());
    fs::create_directories(dir.File("private"));
    fs::permissions(dir.File("private"), fs::perms::owner_all);
    fs::create_directories(dir.File("open"));
    fs::permissions(dir.File("open"), fs::perms::all);
    fs::create_directory_symlink(dir.File("private"), dir.File("link"));
    const struct {
        const char* Directory;
        QString Expected;
    } cases[] = {{"private", Q(dir.File("private"))},
                 {"open", fallback},
                 {"link", fallback},
                 {"missing", fallback}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Directory);
        EXPECT_EQ(PrivateSocketDirectory(Q(dir.File(c.Directory)), Q(dir.Path())), c.Expected);
    }
    EXPECT_EQ(fs::status(fallback.toStdString()).permissions(), fs::perms::owner_all);
    // Another user's directory at the fallback name is never used.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(fallback.toLocal8Bit().constData(), kOtherUser, kOtherUser), 0);
        EXPECT_TRUE(PrivateSocketDirectory(QString(), Q(dir.Path())).isEmpty());
    }
}

TEST(SingleInstanceTest, OversizedOrIdleClientIsCutOffAndTheWindowStillListens) {
    test::TempDir dir;
    const QString name = Q(dir.File("instance"));
    InstanceServer running(name);
    ASSERT_TRUE(running.Listen());
    QSignalSpy received(&running, &InstanceServer::FilesReceived);
    const auto cutOff = [&](QByteArray message) {
        auto result = std::async(std::launch::async, [&] {
            QLocalSocket socket;
            socket.connectToServer(name);
            if (!socket.waitForConnected(30000))
                return false;
            socket.write(message);
            while (socket.bytesToWrite() > 0 && socket.waitForBytesWritten(30000)) {
            }
            return socket.state() == QLocalSocket::UnconnectedState ||
                   socket.waitForDisconnected(60000);
        });
        return ServeUntilReady(result);
    };
    // A list of one name that claims 2 GB, and more than the limit of it on its way.
    QByteArray huge;
    QDataStream(&huge, QIODevice::WriteOnly) << quint32(1) << quint32(0x7fffffff);
    huge.append(QByteArray(kMaxHandOverBytes + 4096, 'x'));
    EXPECT_TRUE(cutOff(huge));
    EXPECT_TRUE(cutOff(QByteArray()));
    EXPECT_EQ(received.size(), 0);
    auto sent = std::async(std::launch::async,
                           [&] { return SendToRunningInstance(name, {"/music/a.mp3"}); });
    EXPECT_TRUE(ServeUntilReady(sent));
}

// Idle clients that connected first are still there when the client beyond the limit, or the
// one that sends too much, is cut off: each is cut for what it did, not by the idle limit.
TEST(SingleInstanceTest, ClientBeyondTheLimitAndOversizedMessageAreCutWhileIdleOnesWait) {
    test::TempDir dir;
    for (const bool oversized : {false, true}) {
        SCOPED_TRACE(oversized);
        const QString name = Q(dir.File(oversized ? "big" : "many"));
        InstanceServer running(name);
        ASSERT_TRUE(running.Listen());
        auto result = std::async(std::launch::async, [&] {
            std::vector<std::unique_ptr<QLocalSocket>> idle;
            const int waiting = oversized ? kMaxHandOverClients - 1 : kMaxHandOverClients;
            for (int i = 0; i < waiting; ++i) {
                idle.push_back(std::make_unique<QLocalSocket>());
                idle.back()->connectToServer(name);
                if (!idle.back()->waitForConnected(30000))
                    return std::string("an idle client could not connect");
            }
            QLocalSocket last;
            last.connectToServer(name);
            if (last.waitForConnected(30000) && oversized) {
                QByteArray message;
                QDataStream(&message, QIODevice::WriteOnly) << quint32(1) << quint32(0x7fffffff);
                message.append(QByteArray(kMaxHandOverBytes + 4096, 'x'));
                last.write(message);
                while (last.bytesToWrite() > 0 && last.waitForBytesWritten(30000)) {
                }
            }
            if (last.state() != QLocalSocket::UnconnectedState && !last.waitForDisconnected(30000))
                return std::string("the last client was not cut off");
            for (const auto& socket : idle) {
                if (socket->waitForDisconnected(1) ||
                    socket->state() != QLocalSocket::ConnectedState)
                    return std::string("an idle client was cut off first");
            }
            return std::string();
        });
        EXPECT_EQ(ServeUntilReady(result), "");
    }
}

TEST(SingleInstanceTest, AWindowOfAnotherUserGetsNoFiles) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only the superuser can start a program as another user";
    test::TempDir dir;
    fs::permissions(dir.Path(), fs::perms::all);
    const std::string path = dir.File("instance").string();
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Another user's listener: it exits 0 only when it was sent nothing.
        if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0)
            ::_exit(2);
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof(address.sun_path) - 1);
        if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::chmod(path.c_str(), 0777) != 0 || ::listen(listener, 1) != 0)
            ::_exit(2);
        const int client = ::accept(listener, nullptr, nullptr);
        char byte = 0;
        const ssize_t got = ::read(client, &byte, 1);
        ::_exit(got == 0 ? 0 : 1);
    }
    while (!fs::exists(path) ||
           (fs::status(path).permissions() & fs::perms::others_write) == fs::perms::none)
        ::usleep(1000);
    EXPECT_FALSE(SendToRunningInstance(Q(path), {"/music/secret.mp3"}));
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace
} // namespace zent
