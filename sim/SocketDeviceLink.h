#pragma once

#include "sim/LineAssembler.h"
#include "sim/ReplyWriter.h"

#include <QObject>

class QTcpSocket;

namespace sim {

class Device;

// Joins one TCP socket to one device: lines read from the socket go to the device, its
// replies are written back. The socket is not owned; when it disconnects, a half-received
// line and the replies not yet written are dropped.
class SocketDeviceLink : public QObject {
    Q_OBJECT
public:
    SocketDeviceLink(QTcpSocket* socket, Device* device, QObject* parent = nullptr);

private:
    void readLines();
    void forget();

    QTcpSocket* socket_;
    Device* device_;
    LineAssembler assembler_;
    ReplyWriter writer_;
};

} // namespace sim
