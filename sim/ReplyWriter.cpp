#include "sim/ReplyWriter.h"

#include "sim/Device.h"

namespace sim {

ReplyWriter::ReplyWriter(WriteBytes write, CloseLine close, Backlog backlog, QObject* parent)
    : QObject(parent), write_(std::move(write)), close_(std::move(close)),
      backlog_(std::move(backlog)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &ReplyWriter::writeNextPiece);
}

void ReplyWriter::send(Device* device, const Reply& reply, const QByteArray& prefix) {
    if (reply.lines.isEmpty())
        return;
    Pending pending;
    pending.device = device;
    for (const QByteArray& line : reply.lines)
        pending.bytes += prefix + line;
    pending.delayMs = reply.delayMs;
    pending.pieces = qBound(1, reply.pieces, int(pending.bytes.size()));
    pending.closeAfter = reply.closeAfter;
    queuedBytes_ += pending.bytes.size();
    queue_.append(pending);
    if (!busy_)
        startNext();
}

void ReplyWriter::clear() {
    timer_.stop();
    queue_.clear();
    queuedBytes_ = 0;
    busy_ = false;
}

void ReplyWriter::startNext() {
    busy_ = !queue_.isEmpty();
    if (!busy_)
        return;
    piecesWritten_ = 0;
    timer_.start(queue_.first().delayMs);
}

void ReplyWriter::writeNextPiece() {
    if (queue_.isEmpty())
        return;
    const Pending pending = queue_.first();
    const qsizetype size = pending.bytes.size();
    const qsizetype from = size * piecesWritten_ / pending.pieces;
    const qsizetype to = size * (piecesWritten_ + 1) / pending.pieces;
    // Counted as the transport's before the write, which may report progress at once.
    queuedBytes_ -= to - from;
    write_(pending.bytes.sliced(from, to - from));
    if (queue_.isEmpty())
        return; // the line went away during the write, and clear() dropped the queue
    if (++piecesWritten_ < pending.pieces) {
        timer_.start(pieceIntervalMs);
        return;
    }
    queue_.removeFirst();
    if (pending.device)
        pending.device->recordReplySent(pending.bytes);
    if (pending.closeAfter && close_)
        close_();
    startNext();
}

} // namespace sim
