#pragma once

#include <QByteArray>
#include <QList>

namespace sim {

// What a transport does with the answer of a device to one received line.
struct Reply {
    QList<QByteArray> lines; // reply lines with CR LF, written in one write; empty: no answer
    int delayMs = 0;         // wait this long before writing
    int pieces = 1;          // split the write into this many writes, the event loop between
    bool closeAfter = false; // close the connection once the write is done (TCP only)
};

} // namespace sim
