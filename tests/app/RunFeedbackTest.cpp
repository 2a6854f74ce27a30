// The desktop's side of a run on a private session bus: the notification with its action,
// and the taskbar entry's progress.
#include "app/RunFeedback.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QVariantMap>
#include <functional>
#include <gtest/gtest.h>

namespace zent::test {
namespace {

// Events arrive when the bus has passed them on; the limit only keeps a broken bus from
// hanging the suite.
bool WaitFor(const std::function<bool()>& condition) {
    const QDeadlineTimer limit(30000);
    while (!condition() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return condition();
}

// The notification service, as far as a run's end uses it.
class NotificationsStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList calls; // summary | body | actions | desktop entry

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int) {
        calls << summary + " | " + body + " | " + actions.join(',') + " | " +
                     hints.value(QStringLiteral("desktop-entry")).toString();
        return 7;
    }
};

class LauncherEntryRecorder : public QObject {
    Q_OBJECT
public:
    QStringList updates;

public slots:
    void Update(const QString& app, const QVariantMap& properties) {
        updates << app + " " + properties.value(QStringLiteral("progress")).toString() + " " +
                       properties.value(QStringLiteral("progress-visible")).toString();
    }
};

// A session bus of the test's own, with one connection for the program and one for the
// desktop's services.
class RunFeedbackTest : public ::testing::Test {
protected:
    QProcess daemon;
    NotificationsStandIn service;
    LauncherEntryRecorder recorder;
    QDBusConnection program{QString()};
    QDBusConnection desktop{QString()};

    void SetUp() override {
        const QString daemonPath = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemonPath.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        daemon.start(daemonPath, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                  QStringLiteral("--print-address=1")});
        ASSERT_TRUE(daemon.waitForStarted());
        ASSERT_TRUE(WaitFor([this] { return daemon.canReadLine(); }));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        program = QDBusConnection::connectToBus(address, QStringLiteral("program"));
        desktop = QDBusConnection::connectToBus(address, QStringLiteral("desktop"));
        ASSERT_TRUE(program.isConnected());
        ASSERT_TRUE(desktop.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                           &service, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(desktop.registerService(QStringLiteral("org.freedesktop.Notifications")));
        ASSERT_TRUE(desktop.connect({}, {}, QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                    QStringLiteral("Update"), &recorder,
                                    SLOT(Update(QString, QVariantMap))));
    }

    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("program"));
        QDBusConnection::disconnectFromBus(QStringLiteral("desktop"));
        daemon.kill();
        daemon.waitForFinished();
    }

    std::unique_ptr<RunNotifier> Notifier(bool watched, qint64 minimumMsecs) {
        return std::make_unique<RunNotifier>(
            QStringLiteral("org.example.App"), [watched] { return watched; }, minimumMsecs,
            program);
    }
};

TEST_F(RunFeedbackTest, AnUnwatchedRunEndsWithANotificationOnlyWhenItTookAWhile) {
    struct Case {
        const char* what;
        bool watched;
        qint64 minimumMsecs;
    } const quiet[] = {{"watched", true, 0}, {"short", false, 3600 * 1000}};
    for (const Case& c : quiet) {
        auto notifier = Notifier(c.watched, c.minimumMsecs);
        notifier->RunStarted(QStringLiteral("/music/wav"));
        notifier->RunEnded({3}, {});
    }
    // Sent on the same connection after the quiet ones, so it arrives after anything they sent.
    auto notifier = Notifier(false, 0);
    notifier->RunStarted(QStringLiteral("/music/wav"));
    notifier->RunEnded({3, 1, 2}, {});
    notifier->RunStarted(QStringLiteral("/music/wav"));
    notifier->RunEnded({1}, QStringLiteral("Sample not loaded."));
    ASSERT_TRUE(WaitFor([this] { return service.calls.size() >= 2; }));
    EXPECT_EQ(service.calls.join('\n'),
              "Conversion finished | 3 file(s) converted into /music/wav\n1 file(s) failed\n2 "
              "file(s) with a warning | open-folder,Open folder | org.example.App\n"
              "Conversion ended with an error | Sample not loaded. |  | org.example.App");
}

TEST_F(RunFeedbackTest, TheOpenFolderActionOpensTheTargetDirectory) {
    auto notifier = Notifier(false, 0);
    QStringList opened;
    notifier->OpenFolder = [&opened](const QString& dir) {
        opened << dir;
    };
    notifier->RunStarted(QStringLiteral("/music/wav"));
    notifier->RunEnded({2}, {});
    ASSERT_TRUE(WaitFor([this] { return service.calls.size() == 1; }));
    QDBusMessage invoked = QDBusMessage::createSignal(
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
    invoked << uint(7) << QStringLiteral("open-folder");
    // The reply with the notification's id may still be on its way.
    ASSERT_TRUE(WaitFor([&] {
        desktop.send(invoked);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return !opened.isEmpty();
    }));
    EXPECT_EQ(opened.front(), "/music/wav");
}

TEST_F(RunFeedbackTest, TheTaskbarEntryShowsTheRunsProgressWhileItLasts) {
    TaskbarProgress taskbar(QStringLiteral("org.example.App"), program);
    taskbar.RunStarted(QStringLiteral("/music/wav"));
    for (int percent : {0, 40, 40, 100})
        taskbar.RunProgress(percent);
    taskbar.RunEnded({2}, {});
    ASSERT_TRUE(WaitFor([this] { return recorder.updates.size() >= 4; }));
    EXPECT_EQ(recorder.updates.join('\n'), "application://org.example.App.desktop 0 true\n"
                                           "application://org.example.App.desktop 0.4 true\n"
                                           "application://org.example.App.desktop 1 true\n"
                                           "application://org.example.App.desktop 0 false");
}

} // namespace
} // namespace zent::test

#include "RunFeedbackTest.moc"
