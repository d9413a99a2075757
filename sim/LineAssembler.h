#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace sim {

// Collects received bytes into lines that end in LF: a line may come in several reads and a
// read may hold several lines. A line that grows beyond maxLineLength keeps its first bytes
// and loses the rest, so that it is answered as a command error instead of filling memory.
class LineAssembler {
public:
    static constexpr qsizetype maxLineLength = 1024;

    // dropFlowControl: discard the XON and XOFF bytes (0x11, 0x13) of a serial line.
    explicit LineAssembler(bool dropFlowControl = false) : dropFlowControl_(dropFlowControl) {}

    // The lines completed by `bytes`, each with its LF.
    QList<QByteArray> feed(const QByteArray& bytes);

private:
    // Adds the bytes of a line that has not ended yet, within the bound.
    void take(QByteArrayView bytes);

    QByteArray pending_;
    bool dropFlowControl_;
};

} // namespace sim
