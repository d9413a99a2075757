#pragma once

#include "core/FixedText.h"
#include "link/ReplyLineAssembler.h"
#include "link/SocketKeepAlive.h"
#include "protocol/LinkChannels.h"

#include <QAbstractSocket>
#include <QByteArrayView>
#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <QTimer>
#include <array>
#include <memory>
#include <optional>

struct LinkConfiguration;
class ConnectionChannel;
class QHostAddress;
class QTcpServer;
class QTcpSocket;

// The port number in the port text: leading blanks skipped, then the digits up to the first
// other character, cut to 16 bits as a port is ("09004" is 9004, "" is 0).
quint16 portFromText(QByteArrayView text);

// One device connection of the server role.
struct Connection {
    int inUse = 0;
    QTcpSocket* socket = nullptr;
    FixedText<16> addressText; // dotted decimal; " " once the device has left
};

// The device link over TCP/IP in either role: as a client connected to the chosen host, or as a
// server that up to 96 devices connect to, one of them chosen as the target. It handles its
// sockets' events all the time, whether or not a TCP dialog is open, and reports what changed
// by its signals; it shows nothing itself. The link owns the server role's connection table and
// whether it is connected (tcpConnected); everybody else reads them through the accessors below
// and follows their changes by the signals. It reads the link settings and forgets a chosen
// device that leaves. The target's bytes are framed into lines and held until the command sender
// takes them: at most about ReplyLineAssembler::holdLimit bytes, and as much again in the
// socket's buffer; the operating system holds the device back beyond that.
class TcpLink : public TcpChannel {
    Q_OBJECT
public:
    // Devices take entries 1 to 96, the numbers the operator and zevctl's --target know them by;
    // entry 0 is never used. No entry at all is LinkConfiguration::noConnection.
    static constexpr int connectionCapacity = 97;
    static constexpr int firstConnection = 1;
    static constexpr int lastConnection = 96;
    using ConnectionTable = std::array<Connection, connectionCapacity>;

    explicit TcpLink(LinkConfiguration& link, QObject* parent = nullptr);
    ~TcpLink() override;

    // Client role: starts connecting to host selectedConnection at the port of portNumberText.
    // True while the connect is under way (the connected step follows, or a socket event
    // error); false, not connected, after a failure that has been reported.
    bool connectToDevice();
    // Client role, the operator's disconnect: closes every socket. False when the link was not
    // connected, and then nothing is closed.
    bool disconnectFromDevice();
    // Server role: listens at the port of portNumberText on the local address given, by default
    // on every one. True when listening, also when it already was; false after a failure that
    // has been reported.
    bool startListening(const QHostAddress& address = QHostAddress(QHostAddress::AnyIPv4));
    // Server role: the device of the entry becomes the target and the link is connected. False,
    // with no target chosen, when no device is connected at all.
    bool chooseTarget(int entry);
    // Server role, the operator's stop: closes the listening server and every connection; no
    // target is chosen and the link is not connected.
    void stopServer();

    // Takes every device waiting to connect into the first free entries; a device for which
    // no entry is free is closed at once, and so is one not in the host list when only listed
    // hosts may connect (listedHostsOnly), which is logged.
    void acceptConnection();
    // Closes the socket and frees its entry (address text " ").
    void closeConnection(QTcpSocket* socket);
    // Closes the client socket, the listening server and every connection; resets the table.
    void closeAllSockets();
    // Every entry free, not connected.
    void resetConnectionTable();
    // The entry that holds the socket; noConnection when none does.
    int findConnection(const QTcpSocket* socket) const;

    // Server role: a channel of its own for the device of the entry, which then gets its lines
    // whether or not it is the target; nothing when the entry holds no device. The channel
    // belongs to the caller; the link forgets it when it goes or the device leaves.
    std::unique_ptr<ConnectionChannel> openConnectionChannel(int entry);

    bool sendToTarget(const QByteArray& bytes) override;
    std::optional<QByteArray> takeLine() override;
    void discardPartialLine() override { assembler_.discardPartialLine(); }
    // Client role: from the completed connect until the operator disconnects or the device
    // closes the connection; server role: while a device is chosen as the target and stays.
    bool tcpConnected() const override { return tcpConnected_; }

    const ConnectionTable& connectionTable() const { return connectionTable_; }
    // The entries in use, devices 1 to 96 only.
    int connectionCount() const;
    // The address text of the connection entry selectedConnection, which the dialogs' captions
    // show; nothing while no connection is chosen. The captions have always read the
    // table by selectedConnection, whatever the role, so a client's host index reads the
    // (empty) entry of that number.
    std::optional<QByteArray> chosenAddressText() const;

    // What the link reaches, for the operator: "192.168.1.10:9004" for the client; the port
    // listened on and, with a target, the chosen device's address for the server.
    QString peerName() const;

    // How soon a device that vanished is noticed; for the sockets connected from now on.
    void setKeepAlive(const KeepAlive& keepAlive) { keepAlive_ = keepAlive; }

    bool isListening() const;
    quint16 listeningPort() const; // the port actually listened on (port text "" picks one)
    bool hasClientSocket() const { return client_ != nullptr; }
    // Bytes of the target's line being collected.
    qsizetype partialLineLength() const { return assembler_.pendingLength(); }
    // Bytes received from the target and not yet taken: the whole lines held, the line being
    // collected and what the target's socket holds unread.
    qint64 heldInput() const;

signals:
    // The connect started by connectToDevice has completed; the link is connected.
    void clientConnected();
    // An entry of the connection table was taken or freed, or the table was reset.
    void connectionsChanged();
    void tcpConnectedChanged(bool connected);

private:
    // A drop of the connection to the target (why says what happened) tells the command sender
    // that nothing it waits for will come.
    void setTcpConnected(bool connected, const QString& why = {});
    void updateState();
    bool isListedHost(const QHostAddress& address) const;
    QTcpSocket* targetSocket() const;
    void watchSocket(QTcpSocket* socket);
    void readReceived(QTcpSocket* socket);
    void handleSocketError(QTcpSocket* socket, QAbstractSocket::SocketError error);
    void closeClientSocket();
    // A failure of the link's own steps (Failure::Network), for the program to show.
    void reportFailure(const QString& text);
    void reportFailure(const QString& text, int errorNumber);
    void reportAfterEvent(Failure failure, const QString& text, const QString& detail);

    LinkConfiguration& link_;
    ConnectionTable connectionTable_{};
    bool tcpConnected_ = false;
    KeepAlive keepAlive_;
    QTcpServer* server_ = nullptr;
    QTcpSocket* client_ = nullptr;
    QString clientPeer_;      // "address:port" of the client's connect, for messages
    bool connecting_ = false; // inside connectToDevice: errors are its own to report
    QHash<const QTcpSocket*, QPointer<ConnectionChannel>> channels_;
    // Each connection's name in the traffic log ("tcp 192.168.1.10:9004"), built once.
    QHash<const QTcpSocket*, QByteArray> trafficNames_;
    ReplyLineAssembler assembler_;
    QTimer readAgain_; // the target's input beyond one turn's reading, at the next turn
};
