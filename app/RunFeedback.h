#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>

namespace zent {

// How a run's files ended.
struct RunCounts {
    int Converted = 0;
    int Failed = 0;
    int Warnings = 0; // converted with a warning, or skipped
};

// What the desktop hears of a conversion run, outside the window itself. The window's
// thread only.
class RunFeedback {
public:
    virtual ~RunFeedback() = default;
    virtual void RunStarted(const QString& targetDir) = 0;
    virtual void RunProgress(int percent) = 0;
    // error is empty when the run ended without one (finished or stopped).
    virtual void RunEnded(const RunCounts& counts, const QString& error) = 0;
};

// The run's progress on the window's taskbar entry, through the LauncherEntry signal that
// docks and task managers read, keyed by the desktop file's name.
class TaskbarProgress : public RunFeedback {
public:
    TaskbarProgress(QString desktopFileName, QDBusConnection bus = QDBusConnection::sessionBus());

    void RunStarted(const QString& targetDir) override;
    void RunProgress(int percent) override;
    void RunEnded(const RunCounts& counts, const QString& error) override;

private:
    void Send(double progress, bool visible);

    QString FAppUri;
    QDBusConnection FBus;
    int FPercent = -1;
};

// A desktop notification at the end of a run that took a while and that the person was not
// watching; an "Open folder" action opens the target directory. Without a notification
// service nothing happens.
class RunNotifier : public QObject, public RunFeedback {
    Q_OBJECT
public:
    RunNotifier(QString desktopFileName, std::function<bool()> watched, qint64 minimumMsecs,
                QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);

    void RunStarted(const QString& targetDir) override;
    void RunProgress(int) override {}
    void RunEnded(const RunCounts& counts, const QString& error) override;

    // The folder that the action opens; replaced in tests.
    std::function<void(const QString& dir)> OpenFolder;

private slots:
    void ActionInvoked(uint id, const QString& action);

private:
    void Notify(const QString& summary, const QString& body, bool withAction);

    QString FDesktopFileName;
    std::function<bool()> FWatched;
    qint64 FMinimumMsecs;
    QDBusConnection FBus;
    QElapsedTimer FTimer;
    QString FTargetDir;
    QString FShownDir; // the folder of the notification on screen
    uint FShownId = 0;
};

} // namespace zent
