#include "app/RunFeedback.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QUrl>
#include <QVariantMap>

namespace zent {

namespace {

const QString kNotifyService = QStringLiteral("org.freedesktop.Notifications");
const QString kNotifyPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kOpenFolderAction = QStringLiteral("open-folder");

} // namespace

TaskbarProgress::TaskbarProgress(QString desktopFileName, QDBusConnection bus)
    : FAppUri(QStringLiteral("application://") + desktopFileName + QStringLiteral(".desktop")),
      FBus(std::move(bus)) {}

void TaskbarProgress::RunStarted(const QString&) {
    FPercent = 0;
    Send(0.0, true);
}

void TaskbarProgress::RunProgress(int percent) {
    // One signal per percent: the bar moves in many small steps.
    if (FPercent < 0 || percent == FPercent)
        return;
    FPercent = percent;
    Send(percent / 100.0, true);
}

void TaskbarProgress::RunEnded(const RunCounts&, const QString&) {
    if (FPercent < 0)
        return;
    FPercent = -1;
    Send(0.0, false);
}

void TaskbarProgress::Send(double progress, bool visible) {
    if (!FBus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/org/example/zent"), QStringLiteral("com.canonical.Unity.LauncherEntry"),
        QStringLiteral("Update"));
    signal << FAppUri
           << QVariantMap{{QStringLiteral("progress"), progress},
                          {QStringLiteral("progress-visible"), visible}};
    FBus.send(signal);
}

RunNotifier::RunNotifier(QString desktopFileName, std::function<bool()> watched,
                         qint64 minimumMsecs, QDBusConnection bus, QObject* parent)
    : QObject(parent),
      OpenFolder([](const QString& dir) { QDesktopServices::openUrl(QUrl::fromLocalFile(dir)); }),
      FDesktopFileName(std::move(desktopFileName)), FWatched(std::move(watched)),
      FMinimumMsecs(minimumMsecs), FBus(std::move(bus)) {
    if (FBus.isConnected())
        FBus.connect(kNotifyService, kNotifyPath, kNotifyService, QStringLiteral("ActionInvoked"),
                     this, SLOT(ActionInvoked(uint, QString)));
}

void RunNotifier::RunStarted(const QString& targetDir) {
    FTargetDir = targetDir;
    FTimer.start();
}

void RunNotifier::RunEnded(const RunCounts& counts, const QString& error) {
    if (!FTimer.isValid())
        return;
    const qint64 took = FTimer.elapsed();
    FTimer.invalidate();
    if (took < FMinimumMsecs || FWatched())
        return;
    if (error.isEmpty()) {
        QString body =
            tr("%n file(s) converted into %1", nullptr, counts.Converted).arg(FTargetDir);
        if (counts.Failed > 0)
            body += QStringLiteral("\n") + tr("%n file(s) failed", nullptr, counts.Failed);
        if (counts.Warnings > 0)
            body +=
                QStringLiteral("\n") + tr("%n file(s) with a warning", nullptr, counts.Warnings);
        Notify(tr("Conversion finished"), body, true);
    } else
        Notify(tr("Conversion ended with an error"), error, false);
}

void RunNotifier::Notify(const QString& summary, const QString& body, bool withAction) {
    if (!FBus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kNotifyService, kNotifyPath, kNotifyService,
                                                       QStringLiteral("Notify"));
    QStringList actions;
    if (withAction)
        actions << kOpenFolderAction << tr("Open folder");
    call << QStringLiteral("Zent") << uint(0) << FDesktopFileName << summary << body << actions
         << QVariantMap{{QStringLiteral("desktop-entry"), FDesktopFileName}} << int(-1);
    // Asynchronous: without a notification service the call fails and nothing happens.
    auto* watcher = new QDBusPendingCallWatcher(FBus.asyncCall(call), this);
    const QString dir = withAction ? FTargetDir : QString();
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, dir](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                if (!reply.isError()) {
                    FShownId = reply.value();
                    FShownDir = dir;
                }
                finished->deleteLater();
            });
}

void RunNotifier::ActionInvoked(uint id, const QString& action) {
    if (id == FShownId && action == kOpenFolderAction && !FShownDir.isEmpty())
        OpenFolder(FShownDir);
}

} // namespace zent
