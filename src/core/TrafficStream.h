#pragma once

#include <QByteArray>
#include <QByteArrayView>

enum class TrafficDirection { Sent, Received };

// One line that went to or came from a device, as its link saw it.
struct TrafficLine {
    qint64 time = 0; // milliseconds since the epoch
    TrafficDirection direction = TrafficDirection::Sent;
    QByteArray link;    // "serial /dev/ttyS0", "tcp 192.168.1.10:9004"
    QByteArray address; // on an RS-485 line the device address in front of the line, else empty
    // The line with its line end, the address included; empty for a received line too long to
    // be a reply, which was dropped.
    QByteArray bytes;
};

// The line as the traffic log writes it: "serial /dev/ttyUSB0 address 07 received "07GO\r\n"".
QByteArray trafficLogText(const TrafficLine& line);

// The line in double quotes, with its line end, quotes, backslashes and anything unprintable
// escaped as Qt's debug output escapes bytes ("GO\r\n", "\x1B").
QByteArray quotedTrafficLine(QByteArrayView line);

// What reads the traffic while it is open: the traffic log file, the traffic window. A reader
// is called on the thread of the links, at the moment a line is sent or received, and so must
// only take the line and return.
class TrafficReader {
public:
    virtual void readTraffic(const TrafficLine& line) = 0;

protected:
    ~TrafficReader() = default;
};

// The one stream of the traffic of the process: the links put every line they send and receive
// into it, and every reader takes each line in the order the links put them. It is
// process-wide, as the logging category beside it, so that a link reaches it without being
// handed anything. Nobody reading, a line costs the links one check (hasReaders).
namespace TrafficStream {
void addReader(TrafficReader* reader);
void removeReader(TrafficReader* reader);
bool hasReaders();
void put(const TrafficLine& line);
} // namespace TrafficStream
