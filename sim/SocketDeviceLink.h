#pragma once

#include "sim/LineAssembler.h"
#include "sim/ReplyWriter.h"

#include <QObject>

class QTcpSocket;

namespace sim {

class Device;

// Joins one TCP socket to one device: lines read from the socket go to the device, its
// replies are written back. Input is read only while the replies have room (see ReplyWriter),
// so a peer that does not read its replies is held back by TCP. The socket is not owned; when
// it disconnects, a half-received line and the replies not yet written are dropped.
class SocketDeviceLink : public QObject {
    Q_OBJECT
public:
    SocketDeviceLink(QTcpSocket* socket, Device* device, QObject* parent = nullptr);

    // Replies not yet taken by the operating system, in bytes.
    qsizetype unsentBytes() const { return writer_.unsentBytes(); }

    // What is read at a time, and what the socket holds of unread input beyond the system's
    // own buffer.
    static constexpr qsizetype inputChunk = 1024;

private:
    void readLines();
    void forget();

    QTcpSocket* socket_;
    Device* device_;
    LineAssembler assembler_;
    ReplyWriter writer_;
};

} // namespace sim
