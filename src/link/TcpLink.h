#pragma once

#include "link/ReplyLineAssembler.h"
#include "protocol/LinkChannels.h"

#include <QAbstractSocket>
#include <QByteArrayView>

struct AppState;
class QTcpServer;
class QTcpSocket;

// The port number in the port text: leading blanks skipped, then the digits up to the first
// other character, cut to 16 bits as a port is ("09004" is 9004, "" is 0).
quint16 portFromText(QByteArrayView text);

// The device link over TCP/IP in either role: as a client connected to the chosen host, or as a
// server that up to 96 devices connect to, one of them chosen as the target. It handles its
// sockets' events all the time, whether or not a TCP dialog is open, and reports what changed
// by its signals; it shows nothing itself. The server role's connections live in
// AppState::connectionTable (entry 0 reserved); the listening server and the client socket
// belong to the link. The target's bytes are framed into lines and held until the command sender
// takes them: at most about ReplyLineAssembler::holdLimit bytes, and as much again in the
// socket's buffer; the operating system holds the device back beyond that.
class TcpLink : public TcpChannel {
    Q_OBJECT
public:
    static constexpr int firstConnection = 1;
    static constexpr int lastConnection = 96;

    explicit TcpLink(AppState& state, QObject* parent = nullptr);
    ~TcpLink() override;

    // Client role: starts connecting to host selectedConnection at the port of portNumberText.
    // True while the connect is under way (clientConnected follows, or a socket event error);
    // false after a failure that has been reported.
    bool connectToDevice();
    // Server role: listens on every local address at the port of portNumberText. True when
    // listening, also when it already was; false after a failure that has been reported.
    bool startListening();

    // Takes every device waiting to connect into the first free entries; a device for which
    // no entry is free is closed at once.
    void acceptConnection();
    // Closes the socket and frees its entry (address text " ").
    void closeConnection(QTcpSocket* socket);
    // Closes the client socket, the listening server and every connection; resets the table.
    void closeAllSockets();
    // Every entry free, entry 0 marked in use, tcpConnected 0.
    void resetConnectionTable();
    // The lowest entry 0 to 96 that holds the socket; 0 when none does.
    int findConnection(const QTcpSocket* socket) const;

    bool sendToTarget(const QByteArray& bytes) override;
    std::optional<QByteArray> takeLine() override;
    void discardPartialLine() override;

    bool isListening() const;
    quint16 listeningPort() const; // the port actually listened on (port text "" picks one)
    bool hasClientSocket() const { return client_ != nullptr; }
    // Bytes of the target's line being collected.
    qsizetype partialLineLength() const { return assembler_.pendingLength(); }
    // Bytes received from the target and not yet taken: the whole lines held, the line being
    // collected and what the target's socket holds unread.
    qint64 heldInput() const;

signals:
    // The connect started by connectToDevice has completed.
    void clientConnected();
    // An entry of the connection table was taken or freed, or the table was reset.
    void connectionsChanged();

private:
    QTcpSocket* targetSocket() const;
    void watchSocket(QTcpSocket* socket);
    void readReceived(QTcpSocket* socket);
    void handleSocketError(QTcpSocket* socket, QAbstractSocket::SocketError error);
    void closeClientSocket();
    // A failure of the link's own steps (Failure::Network), for the program to show.
    void showFailure(const QString& text);
    void showFailure(const QString& text, int errorNumber);
    void reportAfterEvent(Failure failure, const QString& text);

    AppState& state_;
    QTcpServer* server_ = nullptr;
    QTcpSocket* client_ = nullptr;
    bool connecting_ = false; // inside connectToDevice: errors are its own to report
    ReplyLineAssembler assembler_;
};
