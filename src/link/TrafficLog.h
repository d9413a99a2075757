#pragma once

#include <QByteArrayView>
#include <QLoggingCategory>

// Every line sent to and received from a device, with the link and the device's address, under
// the logging category "zev.traffic": off by default, on with QT_LOGGING_RULES="zev.traffic=true"
// or with a traffic log file (TrafficLogFile), which then takes the lines directly. Off, a line
// costs one check.
Q_DECLARE_LOGGING_CATEGORY(zevTraffic)

enum class TrafficDirection { Sent, Received };

// One line of traffic: the link's name in UTF-8 ("serial /dev/ttyS0", "tcp 192.168.1.10:9004"),
// built once per connection, and, on an RS-485 line, the device address the line carries in
// front. An empty line stands for one too long to be a reply, which was dropped.
void logTraffic(QByteArrayView link, TrafficDirection direction, QByteArrayView line,
                bool rs485 = false);

// The line as the log shows it: in double quotes, with its line end, quotes, backslashes and
// anything unprintable escaped as Qt's debug output escapes bytes ("GO\r\n", "\x1B").
QByteArray quotedTrafficLine(QByteArrayView line);
