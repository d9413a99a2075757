#pragma once

#include "protocol/LinkChannels.h"

#include <QList>

// Links that record what the command sender writes, for tests that check framing byte for byte;
// no reply ever arrives on them.
class RecordingSerialChannel : public SerialChannel {
    Q_OBJECT
public:
    std::optional<QByteArray> takeLine() override { return std::nullopt; }
    void discardPartialLine() override {}
    void write(const QByteArray& bytes) override { writes.append(bytes); }
    QList<QByteArray> writes;
};

class RecordingTcpChannel : public TcpChannel {
    Q_OBJECT
public:
    std::optional<QByteArray> takeLine() override { return std::nullopt; }
    bool sendToTarget(const QByteArray& bytes) override {
        sends.append(bytes);
        return sendsGo;
    }
    bool tcpConnected() const override { return connected; }
    void discardPartialLine() override {}
    QList<QByteArray> sends;
    bool connected = false;
    bool sendsGo = true; // false: the socket refuses every write
};
