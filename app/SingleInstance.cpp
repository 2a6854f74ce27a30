#include "app/SingleInstance.h"

#include "app/AppId.h"

#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QList>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <cstdlib>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zent {

namespace {

constexpr int kConnectTimeoutMs = 2000;
// The running window may be busy starting up or converting; it answers between blocks.
constexpr int kAnswerTimeoutMs = 30000;
// How often the server looks whether it still listens.
constexpr int kWatchIntervalMs = 2000;
constexpr char kTaken = 'k';

bool Connect(QLocalSocket& socket, const QString& name) {
    socket.connectToServer(name);
    return socket.waitForConnected(kConnectTimeoutMs);
}

// A directory, not a link, of this user that no one else may enter.
bool IsPrivateDirectory(const QString& directory) {
    struct stat status {};
    const QByteArray path = QFile::encodeName(directory);
    return ::lstat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::getuid() && (status.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// The other end of a connected socket is run by this user.
bool PeerIsThisUser(const QLocalSocket& socket) {
    struct ucred credentials {};
    socklen_t size = sizeof credentials;
    return ::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED,
                        &credentials, &size) == 0 &&
           credentials.uid == ::getuid();
}

void Drop(QLocalSocket* socket) {
    socket->abort();
    socket->deleteLater();
}

} // namespace

QString PrivateSocketDirectory(const QString& directory, const QString& fallbackParent) {
    if (!directory.isEmpty() && IsPrivateDirectory(directory))
        return directory;
    const QString own = fallbackParent + QLatin1Char('/') + QLatin1String(kAppId) +
                        QLatin1Char('-') + QString::number(::getuid());
    // Made here with no rights for others, or already there: either way it is checked.
    ::mkdir(QFile::encodeName(own).constData(), S_IRWXU);
    return IsPrivateDirectory(own) ? own : QString();
}

QString InstanceServerName() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const QString dir =
        PrivateSocketDirectory(runtime ? QFile::decodeName(runtime) : QString(), QDir::tempPath());
    if (dir.isEmpty())
        return {};
    return dir + QLatin1Char('/') + QLatin1String(kAppId) + QLatin1Char('-') +
           QString::number(::getuid());
}

InstanceServer::InstanceServer(QString name, QObject* parent)
    : QObject(parent), FName(std::move(name)), FServer(new QLocalServer(this)),
      FWatch(new QTimer(this)) {
    // No socket options: with them Qt replaces a live window's socket instead of failing.
    // The directory is the user's own.
    connect(FServer, &QLocalServer::newConnection, this, &InstanceServer::Accept);
    FWatch->setInterval(kWatchIntervalMs);
    connect(FWatch, &QTimer::timeout, this, &InstanceServer::ListenAgain);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::Listen() {
    if (FName.isEmpty())
        return false;
    FListening = FServer->listen(FName);
    if (!FListening && FServer->serverError() == QAbstractSocket::AddressInUseError) {
        {
            QLocalSocket probe;
            if (Connect(probe, FName))
                return false;
        }
        QLocalServer::removeServer(FName);
        FListening = FServer->listen(FName);
    }
    if (FListening)
        FWatch->start();
    return FListening;
}

void InstanceServer::ListenAgain() {
    if (FListening && !FServer->isListening())
        FListening = FServer->listen(FName) || Listen();
}

void InstanceServer::Accept() {
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        if (FClients >= kMaxHandOverClients || !PeerIsThisUser(*socket)) {
            Drop(socket);
            continue;
        }
        ++FClients;
        socket->setReadBufferSize(kMaxHandOverBytes + 1);
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, socket, [socket] { Drop(socket); });
        deadline->start(kHandOverTimeoutMs);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this] {
            --FClients;
            ListenAgain();
        });
        Read(socket);
    }
    ListenAgain();
}

void InstanceServer::Read(QLocalSocket* socket) {
    if (socket->bytesAvailable() > kMaxHandOverBytes) {
        Drop(socket);
        return;
    }
    QDataStream in(socket);
    in.startTransaction();
    QList<QByteArray> names;
    in >> names;
    if (!in.commitTransaction())
        return; // the rest is still on its way
    socket->write(&kTaken, 1);
    socket->flush();
    std::vector<std::string> files;
    files.reserve(static_cast<std::size_t>(names.size()));
    for (const QByteArray& name : names)
        files.emplace_back(name.constData(), static_cast<std::size_t>(name.size()));
    emit FilesReceived(files);
}

bool SendToRunningInstance(const QString& name, const std::vector<std::string>& files) {
    QLocalSocket socket;
    if (name.isEmpty() || !Connect(socket, name) || !PeerIsThisUser(socket))
        return false;
    QList<QByteArray> names;
    for (const std::string& file : files)
        names << QByteArray(file.data(), static_cast<qsizetype>(file.size()));
    QByteArray message;
    {
        QDataStream out(&message, QIODevice::WriteOnly);
        out << names;
    }
    if (message.size() > kMaxHandOverBytes)
        return false;
    socket.write(message);
    socket.flush();
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(kAnswerTimeoutMs))
            return false;
    }
    char answer = 0;
    return socket.read(&answer, 1) == 1 && answer == kTaken;
}

} // namespace zent
