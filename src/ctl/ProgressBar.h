#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

// The text of the progress line: a bar, the percentage, the time elapsed and the time left as
// the pace so far promises it.
QString progressText(qint64 done, qint64 total, qint64 elapsedMs);

// A progress line on a terminal, written over itself with a carriage return; nothing at all
// when the stream is no terminal (shown false), so that logs stay clean.
class ProgressBar {
public:
    ProgressBar(QTextStream& stream, bool shown, qint64 total);

    // One more step done; the line is written again at most a few times a second.
    void advance();
    // The last state, and the end of the line.
    void finish();

private:
    void write();

    QTextStream& stream_;
    bool shown_;
    qint64 total_;
    qint64 done_ = 0;
    QElapsedTimer clock_;
    qint64 writtenAt_ = -1;
};
