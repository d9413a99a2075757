#pragma once

#include "core/TrafficStream.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QLoggingCategory>

// Every line sent to and received from a device, with the link and the device's address, goes
// into the traffic stream (TrafficStream), which the traffic log file and the traffic window
// read while they are open, and under the logging category "zev.traffic": off by default, on
// with QT_LOGGING_RULES="zev.traffic=true". With neither, a line costs two checks.
Q_DECLARE_LOGGING_CATEGORY(zevTraffic)

// One line of traffic: the link's name in UTF-8 ("serial /dev/ttyS0", "tcp 192.168.1.10:9004"),
// built once per connection, and, on an RS-485 line, the device address the line carries in
// front. An empty line stands for one too long to be a reply, which was dropped.
void logTraffic(const QByteArray& link, TrafficDirection direction, QByteArrayView line,
                bool rs485 = false);
