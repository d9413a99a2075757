#include "sim/SocketDeviceLink.h"

#include "sim/Device.h"

#include <QTcpSocket>

namespace sim {

SocketDeviceLink::SocketDeviceLink(QTcpSocket* socket, Device* device, QObject* parent)
    : QObject(parent), socket_(socket), device_(device),
      writer_(
          [socket](const QByteArray& bytes) {
              socket->write(bytes);
              socket->flush();
          },
          [socket] { socket->disconnectFromHost(); }, [socket] { return socket->bytesToWrite(); }) {
    // Split replies must leave as separate segments, not wait for the peer's acknowledgement.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket, &QTcpSocket::connected, this,
            [socket] { socket->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    // Without a limit the socket would take in whatever the peer sends, read or not.
    socket->setReadBufferSize(inputChunk);
    connect(socket, &QTcpSocket::readyRead, this, &SocketDeviceLink::readLines);
    // Replies leaving make room for more input; queued, so that input is never taken in the
    // middle of a write.
    connect(socket, &QTcpSocket::bytesWritten, this, &SocketDeviceLink::readLines,
            Qt::QueuedConnection);
    connect(socket, &QTcpSocket::disconnected, this, &SocketDeviceLink::forget);
}

void SocketDeviceLink::readLines() {
    while (writer_.hasRoom() && socket_->bytesAvailable() > 0) {
        for (const QByteArray& line : assembler_.feed(socket_->read(inputChunk)))
            writer_.send(device_, device_->receive(line));
    }
}

void SocketDeviceLink::forget() {
    assembler_ = LineAssembler();
    writer_.clear();
}

} // namespace sim
