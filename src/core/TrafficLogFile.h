#pragma once

#include "core/TrafficStream.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

// Writes the traffic (every line sent to and received from the device, read from the traffic
// stream) and the other messages of the traffic logging category to a file, each with a time
// stamp; every other message goes where it went before. The category is switched on while the
// file is open.
//
// A device that floods the link must hold neither the program nor the disk: lines are collected
// in memory and written at most every flushInterval (at once when bufferLimit is reached, and
// when the log is closed), and the file is bounded. When it would grow beyond its rotation size
// it becomes FILE.1 (FILE.1 becomes FILE.2, and so on; keptFiles are kept) and a new FILE begins.
// A log that cannot be written is said once: open() fails for one that cannot take its first
// line, and failed() is emitted for one that fails later; the log then stops.
class TrafficLogFile : public QObject, public TrafficReader {
    Q_OBJECT
public:
    static constexpr const char* categoryName = "zev.traffic";
    static constexpr qint64 defaultRotationSize = 16 * 1024 * 1024;
    static constexpr int keptFiles = 3;
    static constexpr int flushInterval = 150; // ms
    static constexpr qsizetype bufferLimit = 256 * 1024;

    TrafficLogFile();
    ~TrafficLogFile() override;

    // Opens the file for appending and writes a first line; false, with the reason in
    // errorText(), when it cannot be opened or written.
    bool open(const QString& path, qint64 rotationSize = defaultRotationSize);
    QString errorText() const { return errorText_; }

    // The open log, which takes the traffic from the stream; nullptr when none is.
    static TrafficLogFile* active();
    // Adds one line (without its line end), time-stamped.
    void addLine(QByteArrayView text);
    void readTraffic(const TrafficLine& line) override { addLine(trafficLogText(line)); }

signals:
    // The log could not be written; nothing more is logged.
    void failed(const QString& text);

private:
    void flush();
    bool rotates() const;
    bool rotate();
    bool openFile();
    void fail();
    void appendStamp();

    QString path_;
    QFile file_;
    qint64 rotationSize_ = defaultRotationSize;
    qint64 fileSize_ = 0;
    QByteArray pending_;
    QTimer flushTimer_;
    qint64 stampSecond_ = -1;
    QByteArray stampPrefix_; // the date and time up to the seconds, then "."
    QString errorText_;
    bool installed_ = false;
};
