#pragma once

#include <QByteArray>
#include <QObject>

// What the command sender needs of the two device links. The serial and TCP links implement
// these; tests plug in recording ones.

// The serial line: writes the framed bytes of one command. Writes never overlap; a write to a
// port that could not be opened is dropped without a message (the reply time-out reports it).
class SerialChannel {
public:
    virtual ~SerialChannel() = default;
    virtual void write(const QByteArray& bytes) = 0;
};

// The TCP link as the command sender sees it: the socket of the current role's target (the
// client socket, or the chosen device's connection in the server role).
class TcpChannel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Writes bytes to the target's socket; false when there is no such socket or the write
    // fails at once.
    virtual bool sendToTarget(const QByteArray& bytes) = 0;
    // Commands can go: the client has connected, or the server's target has been chosen.
    virtual bool tcpConnected() const = 0;

signals:
    // Bytes received from the target, as they arrive; bytes from other devices are not reported.
    void targetBytesReceived(const QByteArray& bytes);
};
