#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Collects the bytes received from the device into reply lines. Every LF ends one line, however
// the bytes were split into reads; CR alone ends nothing. A line longer than a reply can be (599
// bytes with its line end) is dropped whole, up to and including its LF, and the next line is
// taken as usual.
class ReplyLineAssembler {
public:
    static constexpr qsizetype maxLineLength = 599;

    // The lines that these bytes complete, each with its line end.
    QList<QByteArray> append(QByteArrayView bytes);

    // Bytes of the line still being collected.
    qsizetype pendingLength() const { return line_.size(); }

private:
    QByteArray line_;
    bool discarding_ = false;
};
