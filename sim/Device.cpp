#include "sim/Device.h"

namespace sim {

namespace {

void keepRecent(QList<QByteArray>& records, const QByteArray& entry) {
    if (records.size() >= Device::keptRecords)
        records.removeFirst();
    records.append(entry);
}

} // namespace

Device::Device(int slaveAddress, QObject* parent) : QObject(parent), DeviceModel(slaveAddress) {}

Reply Device::receive(const QByteArray& line, bool broadcast) {
    QByteArray seen = line;
    if (seen.endsWith('\n'))
        seen.chop(1);
    if (seen.endsWith('\r'))
        seen.chop(1);
    keepRecent(receivedLines_, seen);
    emit lineReceived(seen);

    Reply reply;
    if (broadcast) {
        emit broadcastReceived(seen);
        respond(line);
        return reply;
    }
    if (ignoreCount_ > 0) {
        --ignoreCount_;
        return reply;
    }
    QByteArray answer;
    if (refuseCount_ > 0) {
        --refuseCount_;
        answer = refuseCode_ + "\r\n";
    } else {
        answer = respond(line);
    }
    if (holdNextReply_) {
        holdNextReply_ = false;
        heldReplies_.append(answer);
        return reply;
    }
    reply.lines = heldReplies_;
    reply.lines.append(answer);
    reply.lines.append(appendedReplies_);
    reply.delayMs = replyDelayMs_;
    reply.pieces = nextReplyPieces_;
    reply.closeAfter = closeAfterNextReply_;
    heldReplies_.clear();
    appendedReplies_.clear();
    nextReplyPieces_ = 1;
    closeAfterNextReply_ = false;
    return reply;
}

void Device::clearRecords() {
    receivedLines_.clear();
    sentReplies_.clear();
}

void Device::refuseNext(int count, const QByteArray& code) {
    refuseCount_ = count;
    refuseCode_ = code;
}

void Device::ignoreNext(int count) {
    ignoreCount_ = count;
}
void Device::setReplyDelay(int milliseconds) {
    replyDelayMs_ = milliseconds;
}
void Device::splitNextReply(int pieces) {
    nextReplyPieces_ = qMax(1, pieces);
}
void Device::holdNextReply() {
    holdNextReply_ = true;
}
void Device::appendToNextReply(const QByteArray& line) {
    appendedReplies_.append(line);
}
void Device::closeAfterNextReply() {
    closeAfterNextReply_ = true;
}

void Device::recordReplySent(const QByteArray& bytes) {
    keepRecent(sentReplies_, bytes);
    emit replySent(bytes);
}

} // namespace sim
