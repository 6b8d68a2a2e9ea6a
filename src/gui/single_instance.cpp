#include "gui/single_instance.h"

#include <unistd.h>
#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include "platform/system_directory.h"

namespace kestrune {
namespace {

constexpr char kActivate[] = "activate\n";

}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), name_(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName() {
    const QByteArray dir = QByteArray::fromStdString(systemDirectory().string());
    const QByteArray hash = QCryptographicHash::hash(dir, QCryptographicHash::Sha1).toHex().left(12);
    return QStringLiteral("kestrune-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

bool SingleInstance::anotherIsRunning(int timeoutMs) {
    {
        QLocalSocket socket;
        socket.connectToServer(name_);
        if (socket.waitForConnected(timeoutMs)) {
            socket.write(kActivate);
            socket.waitForBytesWritten(timeoutMs);
            socket.disconnectFromServer();
            return true;
        }
    }
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // Nobody answered, so the socket is left over from a program that
        // ended without cleaning up.
        QLocalServer::removeServer(name_);
        server_->listen(name_);
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return false;
}

bool SingleInstance::listening() const {
    return server_ != nullptr && server_->isListening();
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().contains("activate")) emit activationRequested();
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

}  // namespace kestrune
