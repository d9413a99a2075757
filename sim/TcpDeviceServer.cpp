#include "sim/TcpDeviceServer.h"

#include "sim/Device.h"
#include "sim/SocketDeviceLink.h"

#include <QTcpSocket>

namespace sim {

TcpDeviceServer::TcpDeviceServer(QObject* parent) : QObject(parent), device_(new Device(0, this)) {
    connect(&server_, &QTcpServer::newConnection, this, &TcpDeviceServer::acceptConnections);
}

TcpDeviceServer::~TcpDeviceServer() {
    // The sockets go with the server and would report their disconnection to a half-destroyed
    // object.
    for (QTcpSocket* socket : std::as_const(connections_))
        socket->disconnect(this);
}

bool TcpDeviceServer::listen(const QHostAddress& address, quint16 port) {
    return server_.listen(address, port);
}

void TcpDeviceServer::disconnectClients() {
    for (QTcpSocket* socket : connections_)
        socket->disconnectFromHost();
}

void TcpDeviceServer::acceptConnections() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        new SocketDeviceLink(socket, device_, socket);
        connections_.append(socket);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            connections_.removeOne(socket);
            socket->deleteLater();
            emit clientDisconnected();
        });
        emit clientConnected();
    }
}

} // namespace sim
