#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;
class QTimer;

namespace zent {

// The largest list of files a later start may hand over, in bytes of its message.
inline constexpr qint64 kMaxHandOverBytes = 1024 * 1024;
// A later start that has not said all within this time is cut off.
inline constexpr int kHandOverTimeoutMs = 5000;
// Later starts served at once; more are turned away until one is done.
inline constexpr int kMaxHandOverClients = 16;

// A directory only this user may enter, for the hand-over socket: directory when it is one
// (not a link) owned by the user and closed to others, else a private one created below
// fallbackParent; empty when neither can be had.
QString PrivateSocketDirectory(const QString& directory, const QString& fallbackParent);

// The name under which a user's running window takes files from later starts: one per user,
// in the user's runtime directory, else in a private directory of the user's own; empty when
// there is no such place (then every start has a window of its own).
QString InstanceServerName();

// Listens for later starts of the program by the same user and hands on the files they bring.
// Lives on the window's thread.
class InstanceServer : public QObject {
    Q_OBJECT
public:
    explicit InstanceServer(QString name, QObject* parent = nullptr);
    ~InstanceServer() override;

    // False when another live window already listens under the name. A name left behind by
    // a program that ended without cleaning up is taken over.
    bool Listen();

signals:
    void FilesReceived(const std::vector<std::string>& files);

private:
    void Accept();
    void Read(QLocalSocket* socket);
    // The server stops listening after an accept error (no descriptors left, say).
    void ListenAgain();

    QString FName;
    QLocalServer* FServer;
    QTimer* FWatch;
    int FClients = 0;
    bool FListening = false;
};

// Hands the files to the window listening under name; true once that window, run by this
// same user, has taken them.
bool SendToRunningInstance(const QString& name, const std::vector<std::string>& files);

} // namespace zent
