#include "sim/LineAssembler.h"

namespace sim {

namespace {

constexpr char xon = 0x11;
constexpr char xoff = 0x13;

} // namespace

QList<QByteArray> LineAssembler::feed(const QByteArray& bytes) {
    QList<QByteArray> lines;
    for (char byte : bytes) {
        if (dropFlowControl_ && (byte == xon || byte == xoff))
            continue;
        if (byte == '\n') {
            lines.append(pending_ + '\n');
            pending_.clear();
        } else if (pending_.size() < maxLineLength) {
            pending_.append(byte);
        }
    }
    return lines;
}

} // namespace sim
