#include "app/SingleInstance.h"

#include "app/AppId.h"

#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QList>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <unistd.h>

namespace zent {

namespace {

constexpr int kConnectTimeoutMs = 2000;
// The running window may be busy starting up or converting; it answers between blocks.
constexpr int kAnswerTimeoutMs = 30000;
constexpr char kTaken = 'k';

bool Connect(QLocalSocket& socket, const QString& name) {
    socket.connectToServer(name);
    return socket.waitForConnected(kConnectTimeoutMs);
}

} // namespace

QString InstanceServerName() {
    const QString user = QString::number(::getuid());
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QLatin1Char('/') + QLatin1String(kAppId) + QLatin1Char('-') + user;
}

InstanceServer::InstanceServer(QString name, QObject* parent)
    : QObject(parent), FName(std::move(name)), FServer(new QLocalServer(this)) {
    // No socket options: with them Qt replaces a live window's socket instead of failing.
    // The runtime directory is the user's own.
    connect(FServer, &QLocalServer::newConnection, this, &InstanceServer::Accept);
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::Listen() {
    if (FServer->listen(FName))
        return true;
    if (FServer->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    {
        QLocalSocket probe;
        if (Connect(probe, FName))
            return false;
    }
    QLocalServer::removeServer(FName);
    return FServer->listen(FName);
}

void InstanceServer::Accept() {
    while (QLocalSocket* socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        Read(socket);
    }
}

void InstanceServer::Read(QLocalSocket* socket) {
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
    if (!Connect(socket, name))
        return false;
    QList<QByteArray> names;
    for (const std::string& file : files)
        names << QByteArray(file.data(), static_cast<qsizetype>(file.size()));
    QByteArray message;
    {
        QDataStream out(&message, QIODevice::WriteOnly);
        out << names;
    }
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
