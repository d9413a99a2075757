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

// Taken a run at a time, up to and including each LF: a flood of long lines must not cost a
// call per byte.
QList<QByteArray> ReplyLineAssembler::append(QByteArrayView bytes) {
    QList<QByteArray> lines;
    while (!bytes.isEmpty()) {
        const qsizetype end = bytes.indexOf('\n');
        const bool complete = end >= 0;
        const QByteArrayView run = complete ? bytes.first(end + 1) : bytes;
        bytes = bytes.sliced(run.size());
        if (discarding_) {
            if (complete) {
                discarding_ = false;
                lines.append(QByteArray());
            }
            continue;
        }
        const qsizetype nulBytes = std::count(run.begin(), run.end(), '\0');
        // The line is too long to be a reply once it holds maxLineLength bytes before its LF.
        const qsizetype beforeLineEnd = line_.size() + run.size() - nulBytes - (complete ? 1 : 0);
        if (beforeLineEnd >= maxLineLength) {
            line_.clear();
            if (complete)
                lines.append(QByteArray());
            else
                discarding_ = true;
            continue;
        }
        if (complete && nulBytes == 0 && line_.isEmpty()) {
            lines.append(run.toByteArray()); // the usual case: a whole line in one read
            continue;
        }
        if (nulBytes == 0) {
            line_.append(run);
        } else {
            for (const char byte : run) {
                if (byte != '\0')
                    line_.append(byte);
            }
        }
        if (complete) {
            lines.append(line_);
            line_.clear();
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
    for (qsizetype taken = 0; taken < readLimit && canReadMore(device);) {
        const QByteArray bytes = device.read(std::min({room(), readChunkSize, readLimit - taken}));
        taken += bytes.size();
        lines += append(bytes);
    }
    return lines;
}

bool ReplyLineAssembler::canReadMore(const QIODevice& device) const {
    return device.bytesAvailable() > 0 && room() > 0;
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
