#include "link/ConnectionChannel.h"

#include "link/TrafficLog.h"

#include <QTcpSocket>

ConnectionChannel::ConnectionChannel(QTcpSocket* socket, const QByteArray& trafficName,
                                     QObject* parent)
    : TcpChannel(parent), socket_(socket), trafficName_(trafficName) {
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        emit closed();
        emit lost(QStringLiteral("%1 が接続を閉じました。").arg(trafficName_));
    });
    readAgain_.setSingleShot(true);
    connect(&readAgain_, &QTimer::timeout, this, &ConnectionChannel::readReceived);
}

bool ConnectionChannel::isOpen() const {
    return socket_ && socket_->state() == QAbstractSocket::ConnectedState;
}

bool ConnectionChannel::sendToTarget(const QByteArray& bytes) {
    if (!isOpen())
        return false;
    logTraffic(trafficName_, TrafficDirection::Sent, bytes);
    return socket_->write(bytes) == bytes.size();
}

std::optional<QByteArray> ConnectionChannel::takeLine() {
    auto line = assembler_.takeLine();
    // What the socket held back while the lines were not taken, at the next turn.
    if (line && socket_ && assembler_.canReadMore(*socket_))
        readAgain_.start();
    return line;
}

void ConnectionChannel::readReceived() {
    if (!socket_)
        return;
    const QList<QByteArray> lines = assembler_.readFrom(*socket_);
    if (assembler_.canReadMore(*socket_))
        readAgain_.start();
    for (const QByteArray& line : lines) {
        logTraffic(trafficName_, TrafficDirection::Received, line);
        emit lineReceived();
    }
}
