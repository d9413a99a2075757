#pragma once

#include <QList>
#include <QObject>
#include <QString>

class QTcpSocket;
class QTimer;

namespace sim {

class Device;

// A number of devices that each open their own TCP connection to the program in its server
// role, each with its own settings. All of them live in one event loop.
class TcpDeviceClients : public QObject {
    Q_OBJECT
public:
    explicit TcpDeviceClients(int count, QObject* parent = nullptr);
    ~TcpDeviceClients() override;

    // Starts connecting every device to host:port.
    void connectToProgram(const QString& host, quint16 port);
    // After a lost or refused connection, try again after this many milliseconds; 0 (the
    // default) gives up.
    void setReconnectInterval(int milliseconds) { reconnectIntervalMs_ = milliseconds; }

    int count() const { return int(clients_.size()); }
    Device* device(int index) const { return clients_[index].device; }
    bool isConnected(int index) const;
    int connectedCount() const;
    // The local port of a device's connection, which tells the devices apart at the program.
    quint16 localPort(int index) const;
    // Closes one device's connection, as a device that drops off the network.
    void disconnectDevice(int index);

signals:
    void deviceConnected(int index);
    void deviceDisconnected(int index);

private:
    struct Client {
        Device* device = nullptr;
        QTcpSocket* socket = nullptr;
        QTimer* retryTimer = nullptr;
    };

    void connectClient(int index);

    QList<Client> clients_;
    QString host_;
    quint16 port_ = 0;
    int reconnectIntervalMs_ = 0;
};

} // namespace sim
