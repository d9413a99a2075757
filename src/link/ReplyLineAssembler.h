#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QQueue>
#include <optional>

class QIODevice;

// Collects the bytes received from the device into reply lines, the same way for every link, and
// holds the whole lines in order until they are taken. Every LF ends one line, however the bytes
// were split into reads; CR alone ends nothing; NUL bytes are never part of a reply and are
// skipped. A line longer than a reply can be (599 bytes with its line end) is dropped up to and
// including its LF and held as an empty line: it says nothing, but it was an answer.
//
// What is held is bounded: a link reads no more than room() allows, and the operating system
// holds the device back beyond that until lines are taken.
class ReplyLineAssembler {
public:
    static constexpr qsizetype maxLineLength = 599;
    static constexpr qsizetype holdLimit = 64 * 1024;
    // Bytes taken from a device at one turn of the event loop: a flood of short lines is
    // thousands of lines in these, each logged and interpreted before the window is drawn again.
    static constexpr qsizetype readLimit = 4 * 1024;

    // Takes the bytes; returns the lines they completed, which are also held for takeLine.
    QList<QByteArray> append(QByteArrayView bytes);
    // Takes what the device holds, as far as room() and readLimit allow; the rest stays in the
    // device, for the link to take at the next turn of the event loop.
    QList<QByteArray> readFrom(QIODevice& device);
    // The device holds bytes that there is room for.
    bool canReadMore(const QIODevice& device) const;

    // The oldest line held; nothing when none is.
    std::optional<QByteArray> takeLine();

    // Bytes that may still be appended before the held lines and the partial line reach
    // holdLimit; a dropped line may take it up to maxLineLength beyond, and below 0.
    qsizetype room() const { return holdLimit - heldLength_ - line_.size(); }

    // Bytes of the line still being collected.
    qsizetype pendingLength() const { return line_.size(); }
    // Bytes of the whole lines held, a dropped line counted as maxLineLength.
    qsizetype heldLength() const { return heldLength_; }

    // Forgets the line being collected.
    void discardPartialLine();

private:
    QByteArray line_;
    bool discarding_ = false;
    QQueue<QByteArray> held_;
    qsizetype heldLength_ = 0;
};
