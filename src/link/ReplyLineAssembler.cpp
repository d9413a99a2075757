#include "link/ReplyLineAssembler.h"

#include <QIODevice>
#include <algorithm>

namespace {

constexpr qsizetype readChunkSize = 4096;

// What a held line counts against the limit: a dropped line as the longest reply, so that a
// stream of over-long lines is bounded too.
qsizetype weight(const QByteArray& line) {
    return line.isEmpty() ? ReplyLineAssembler::maxLineLength : line.size();
}

} // namespace

QList<QByteArray> ReplyLineAssembler::append(QByteArrayView bytes) {
    QList<QByteArray> lines;
    for (const char byte : bytes) {
        if (byte == '\0')
            continue;
        if (discarding_) {
            if (byte == '\n') {
                discarding_ = false;
                lines.append(QByteArray());
            }
            continue;
        }
        line_.append(byte);
        if (byte == '\n') {
            lines.append(line_);
            line_.clear();
        } else if (line_.size() >= maxLineLength) {
            // No room is left for the LF: the line is too long to be a reply.
            line_.clear();
            discarding_ = true;
        }
    }
    for (const QByteArray& line : lines) {
        held_.enqueue(line);
        heldLength_ += weight(line);
    }
    return lines;
}

QList<QByteArray> ReplyLineAssembler::readFrom(QIODevice& device) {
    QList<QByteArray> lines;
    while (device.bytesAvailable() > 0 && room() > 0)
        lines += append(device.read(std::min(room(), readChunkSize)));
    return lines;
}

std::optional<QByteArray> ReplyLineAssembler::takeLine() {
    if (held_.isEmpty())
        return std::nullopt;
    QByteArray line = held_.dequeue();
    heldLength_ -= weight(line);
    return line;
}

void ReplyLineAssembler::discardPartialLine() {
    line_.clear();
    discarding_ = false;
}
