#include "sim/TcpDeviceServer.h"

#include "sim/Device.h"
#include "sim/SocketDeviceLink.h"

#include <QTcpSocket>

namespace sim {

TcpDeviceServer::TcpDeviceServer(QObject* parent) : QObject(parent), device_(new Device(0, this)) {
    connect(&server_, &QTcpServer::newConnection, this, &TcpDeviceServer::acceptConnections);
    // QTcpServer stops accepting for good after any error but a temporary one; running out of
    // descriptors passes, so try again a little later (at once would fail again at once).
    acceptRetry_.setSingleShot(true);
    acceptRetry_.setInterval(acceptRetryMs);
    connect(&acceptRetry_, &QTimer::timeout, &server_, &QTcpServer::resumeAccepting);
    connect(&server_, &QTcpServer::acceptError, this, &TcpDeviceServer::retryAccepting);
}

TcpDeviceServer::~TcpDeviceServer() {
    // The sockets go with the server and would report their disconnection to a half-destroyed
    // object.
    for (const Connection& connection : std::as_const(connections_))
        connection.socket->disconnect(this);
}

bool TcpDeviceServer::listen(const QHostAddress& address, quint16 port) {
    return server_.listen(address, port);
}

void TcpDeviceServer::disconnectClients() {
    for (const Connection& connection : connections_)
        connection.socket->disconnectFromHost();
}

qsizetype TcpDeviceServer::unsentBytes() const {
    qsizetype bytes = 0;
    for (const Connection& connection : connections_)
        bytes += connection.link->unsentBytes();
    return bytes;
}

void TcpDeviceServer::acceptConnections() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (connections_.size() >= maxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* link = new SocketDeviceLink(socket, device_, socket);
        connections_.append({socket, link});
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            connections_.removeIf(
                [socket](const Connection& connection) { return connection.socket == socket; });
            socket->deleteLater();
            emit clientDisconnected();
        });
        emit clientConnected();
    }
}

void TcpDeviceServer::retryAccepting() {
    emit acceptFailed(server_.errorString());
    acceptRetry_.start();
}

} // namespace sim
