#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

namespace sim {

class Device;

// One device listening on TCP, for the program in its client role. Every connection talks to
// the same device.
class TcpDeviceServer : public QObject {
    Q_OBJECT
public:
    explicit TcpDeviceServer(QObject* parent = nullptr);
    ~TcpDeviceServer() override;

    // Port 0 takes any free port; serverPort() tells which.
    bool listen(const QHostAddress& address = QHostAddress::LocalHost, quint16 port = 0);
    quint16 serverPort() const { return server_.serverPort(); }
    QString errorString() const { return server_.errorString(); }

    Device* device() const { return device_; }
    int connectionCount() const { return int(connections_.size()); }
    // Closes every connection, as a device that drops off the network.
    void disconnectClients();

signals:
    void clientConnected();
    void clientDisconnected();

private:
    void acceptConnections();

    QTcpServer server_;
    Device* device_;
    QList<QTcpSocket*> connections_;
};

} // namespace sim
