#pragma once

#include "sim/Reply.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>

namespace sim {

class Device;

// Writes the replies of the devices on one connection or serial line, one after the other in
// the order they were given, each with its delay and split. Used by the transports.
class ReplyWriter : public QObject {
    Q_OBJECT
public:
    using WriteBytes = std::function<void(const QByteArray&)>;
    using CloseLine = std::function<void()>;

    // `close` may be empty where the line cannot be closed (a serial line).
    ReplyWriter(WriteBytes write, CloseLine close, QObject* parent = nullptr);

    // Queues the reply of `device`; `prefix` (the RS-485 address) goes before each reply line.
    void send(Device* device, const Reply& reply, const QByteArray& prefix = {});
    // Drops the replies not yet written, when the connection is gone.
    void clear();

    // Pause between the pieces of a split reply.
    static constexpr int pieceIntervalMs = 10;

private:
    struct Pending {
        QPointer<Device> device;
        QByteArray bytes;
        int delayMs = 0;
        int pieces = 1;
        bool closeAfter = false;
    };

    void startNext();
    void writeNextPiece();

    WriteBytes write_;
    CloseLine close_;
    QList<Pending> queue_;
    QTimer timer_;
    int piecesWritten_ = 0;
    bool busy_ = false;
};

} // namespace sim
