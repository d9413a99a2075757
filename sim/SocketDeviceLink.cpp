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
          [socket] { socket->disconnectFromHost(); }) {
    // Split replies must leave as separate segments, not wait for the peer's acknowledgement.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket, &QTcpSocket::connected, this,
            [socket] { socket->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    connect(socket, &QTcpSocket::readyRead, this, &SocketDeviceLink::readLines);
    connect(socket, &QTcpSocket::disconnected, this, &SocketDeviceLink::forget);
}

void SocketDeviceLink::readLines() {
    for (const QByteArray& line : assembler_.feed(socket_->readAll()))
        writer_.send(device_, device_->receive(line));
}

void SocketDeviceLink::forget() {
    assembler_ = LineAssembler();
    writer_.clear();
}

} // namespace sim
