#pragma once

#include "protocol/LinkChannels.h"

#include <QList>

// Links that record what the command sender writes, for tests that check framing byte for byte.
class RecordingSerialChannel : public SerialChannel {
public:
    void write(const QByteArray& bytes) override { writes.append(bytes); }
    QList<QByteArray> writes;
};

class RecordingTcpChannel : public TcpChannel {
    Q_OBJECT
public:
    bool sendToTarget(const QByteArray& bytes) override {
        sends.append(bytes);
        return sendSucceeds;
    }
    bool tcpConnected() const override { return connected; }
    // Plays bytes arriving from the target.
    void deliver(const QByteArray& bytes) { emit targetBytesReceived(bytes); }

    QList<QByteArray> sends;
    bool sendSucceeds = true;
    bool connected = false;
};
