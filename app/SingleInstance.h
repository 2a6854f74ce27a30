#pragma once

#include <QObject>
#include <QString>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace zent {

// The name under which a user's running window takes files from later starts: one per user,
// in the user's runtime directory when there is one.
QString InstanceServerName();

// Listens for later starts of the program and hands on the files they bring.
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

    QString FName;
    QLocalServer* FServer;
};

// Hands the files to the window listening under name; true once that window has taken them.
bool SendToRunningInstance(const QString& name, const std::vector<std::string>& files);

} // namespace zent
