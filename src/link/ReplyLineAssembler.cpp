#include "link/ReplyLineAssembler.h"

QList<QByteArray> ReplyLineAssembler::append(QByteArrayView bytes) {
    QList<QByteArray> lines;
    for (const char byte : bytes) {
        if (discarding_) {
            discarding_ = byte != '\n';
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
    return lines;
}
