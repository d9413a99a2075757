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
//
// The output is bounded the way a device bounds it: the device carries out one command after
// the other and has a transmit buffer of fixed size, so while its replies cannot leave it takes
// no further command. A transport therefore reads the next input only while hasRoom(); the
// lines it leaves unread wait in the operating system's buffers, which hold the peer back (TCP
// flow control, the pseudo-terminal's queue). Dropping the connection instead would lose
// replies that a slow but healthy program still reads.
class ReplyWriter : public QObject {
    Q_OBJECT
public:
    using WriteBytes = std::function<void(const QByteArray&)>;
    using CloseLine = std::function<void()>;
    // The bytes written but still waiting in the transport for the peer.
    using Backlog = std::function<qsizetype()>;

    // `close` may be empty where the line cannot be closed (a serial line).
    ReplyWriter(WriteBytes write, CloseLine close, Backlog backlog, QObject* parent = nullptr);

    // Queues the reply of `device`; `prefix` (the RS-485 address) goes before each reply line.
    void send(Device* device, const Reply& reply, const QByteArray& prefix = {});
    // Drops the replies not yet written, when the connection is gone.
    void clear();

    // The replies not yet written and those the transport still holds, in bytes.
    qsizetype unsentBytes() const { return queuedBytes_ + backlog_(); }
    // True while the unsent replies are below outputLimit: the transport may take more input.
    bool hasRoom() const { return unsentBytes() < outputLimit; }

    // Pause between the pieces of a split reply.
    static constexpr int pieceIntervalMs = 10;
    // The transmit buffer. The replies to one read of input may go beyond it once.
    static constexpr qsizetype outputLimit = 64 * 1024;

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
    Backlog backlog_;
    QList<Pending> queue_;
    qsizetype queuedBytes_ = 0; // of queue_, less the pieces already written
    QTimer timer_;
    int piecesWritten_ = 0;
    bool busy_ = false;
};

} // namespace sim
