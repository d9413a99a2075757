#pragma once

#include "protocol/LinkChannels.h"

#include <QList>
#include <QQueue>

// Links that record what the command sender writes, for tests that check framing byte for byte,
// and play whole reply lines arriving.
template <typename Channel> class RecordingChannel : public Channel {
public:
    std::optional<QByteArray> takeLine() override {
        if (lines.isEmpty())
            return std::nullopt;
        return lines.dequeue();
    }
    // Plays a whole line arriving from the device.
    void deliver(const QByteArray& line) {
        lines.enqueue(line);
        emit this->lineReceived();
    }

    QQueue<QByteArray> lines;
};

class RecordingSerialChannel : public RecordingChannel<SerialChannel> {
    Q_OBJECT
public:
    void write(const QByteArray& bytes) override { writes.append(bytes); }
    QList<QByteArray> writes;
};

class RecordingTcpChannel : public RecordingChannel<TcpChannel> {
    Q_OBJECT
public:
    bool sendToTarget(const QByteArray& bytes) override {
        sends.append(bytes);
        return true;
    }
    bool tcpConnected() const override { return connected; }
    void discardPartialLine() override {}

    QList<QByteArray> sends;
    bool connected = false;
};
