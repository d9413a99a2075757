#pragma once

#include "link/ReplyLineAssembler.h"
#include "protocol/LinkChannels.h"

#include <QPointer>
#include <QTimer>

class QTcpSocket;

// One device connection of the server role as a channel of its own, for a command sender that
// talks to that device alone while other senders talk to the others: the command-line tool
// drives every connected device at once. Its lines are framed and held like the link's target's.
// It counts as connected for as long as it exists, as a chosen device does: once the device has
// left, a send fails ("Socket 送信") rather than reach another device.
class ConnectionChannel : public TcpChannel {
    Q_OBJECT
public:
    ConnectionChannel(QTcpSocket* socket, const QByteArray& trafficName, QObject* parent = nullptr);

    bool sendToTarget(const QByteArray& bytes) override;
    std::optional<QByteArray> takeLine() override;
    void discardPartialLine() override { assembler_.discardPartialLine(); }
    bool tcpConnected() const override { return true; }

    // The device is still connected.
    bool isOpen() const;
    // Takes what the socket holds, as far as the held lines leave room; the TCP link calls it
    // whenever the socket has data.
    void readReceived();

signals:
    // The device has left, or the link closed its connection.
    void closed();

private:
    QPointer<QTcpSocket> socket_;
    QByteArray trafficName_;
    ReplyLineAssembler assembler_;
    QTimer readAgain_; // input beyond one turn's reading, at the next turn
};
