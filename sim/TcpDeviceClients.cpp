#include "sim/TcpDeviceClients.h"

#include "sim/Device.h"
#include "sim/SocketDeviceLink.h"

#include <QTcpSocket>
#include <QTimer>

namespace sim {

TcpDeviceClients::TcpDeviceClients(int count, QObject* parent) : QObject(parent) {
    for (int index = 0; index < count; ++index) {
        Client client;
        client.device = new Device(0, this);
        client.socket = new QTcpSocket(this);
        client.retryTimer = new QTimer(this);
        client.retryTimer->setSingleShot(true);
        new SocketDeviceLink(client.socket, client.device, client.socket);
        connect(client.retryTimer, &QTimer::timeout, this, [this, index] { connectClient(index); });
        connect(client.socket, &QTcpSocket::connected, this,
                [this, index] { emit deviceConnected(index); });
        connect(client.socket, &QTcpSocket::disconnected, this,
                [this, index] { emit deviceDisconnected(index); });
        // Lost and refused connections both end in the unconnected state.
        connect(client.socket, &QTcpSocket::stateChanged, this,
                [this, index](QAbstractSocket::SocketState state) {
                    if (state == QAbstractSocket::UnconnectedState && reconnectIntervalMs_ > 0)
                        clients_[index].retryTimer->start(reconnectIntervalMs_);
                });
        clients_.append(client);
    }
}

TcpDeviceClients::~TcpDeviceClients() {
    // A socket destroyed while connected reports its state change, which must not reach the
    // half-destroyed object.
    for (const Client& client : std::as_const(clients_))
        client.socket->disconnect(this);
}

void TcpDeviceClients::connectToProgram(const QString& host, quint16 port) {
    host_ = host;
    port_ = port;
    for (int index = 0; index < count(); ++index)
        connectClient(index);
}

bool TcpDeviceClients::isConnected(int index) const {
    return clients_[index].socket->state() == QAbstractSocket::ConnectedState;
}

int TcpDeviceClients::connectedCount() const {
    int connected = 0;
    for (int index = 0; index < count(); ++index)
        connected += isConnected(index) ? 1 : 0;
    return connected;
}

quint16 TcpDeviceClients::localPort(int index) const {
    return clients_[index].socket->localPort();
}

void TcpDeviceClients::disconnectDevice(int index) {
    clients_[index].socket->disconnectFromHost();
}

void TcpDeviceClients::connectClient(int index) {
    QTcpSocket* socket = clients_[index].socket;
    if (socket->state() == QAbstractSocket::UnconnectedState)
        socket->connectToHost(host_, port_);
}

} // namespace sim
