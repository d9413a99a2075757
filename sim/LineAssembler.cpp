#include "sim/LineAssembler.h"

#include <utility>

namespace sim {

namespace {

constexpr char xon = 0x11;
constexpr char xoff = 0x13;

} // namespace

QList<QByteArray> LineAssembler::feed(const QByteArray& bytes) {
    // Whole pieces between LFs at a time: a byte at a time would grow each line again and again.
    QList<QByteArray> lines;
    lines.reserve(bytes.count('\n'));
    qsizetype start = 0;
    for (qsizetype end; (end = bytes.indexOf('\n', start)) >= 0; start = end + 1) {
        take(QByteArrayView(bytes).sliced(start, end - start));
        pending_.append('\n');
        lines.append(std::exchange(pending_, QByteArray()));
    }
    take(QByteArrayView(bytes).sliced(start));
    return lines;
}

void LineAssembler::take(QByteArrayView bytes) {
    if (!dropFlowControl_) {
        pending_.append(bytes.first(qMin(bytes.size(), maxLineLength - pending_.size())));
        return;
    }
    for (char byte : bytes) {
        if (byte != xon && byte != xoff && pending_.size() < maxLineLength)
            pending_.append(byte);
    }
}

} // namespace sim
