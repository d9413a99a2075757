#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

class QTcpSocket;

namespace sim {

class Device;
class SocketDeviceLink;

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
    // The replies of all connections not yet taken by the operating system, in bytes.
    qsizetype unsentBytes() const;

    // The device's network interface has room for this many connections; one more is closed
    // as soon as it is accepted, so that its peer learns it at once instead of waiting.
    static constexpr int maxConnections = 8;
    // After a failed accept (descriptors or memory ran out), accepting resumes this much later.
    static constexpr int acceptRetryMs = 200;

signals:
    void clientConnected();
    void clientDisconnected();
    // A connection could not be accepted; accepting resumes after acceptRetryMs.
    void acceptFailed(const QString& reason);

private:
    struct Connection {
        QTcpSocket* socket;
        SocketDeviceLink* link;
    };

    void acceptConnections();
    void retryAccepting();

    QTcpServer server_;
    QTimer acceptRetry_;
    Device* device_;
    QList<Connection> connections_;
};

} // namespace sim
