#pragma once

#include <QByteArrayView>
#include <QLoggingCategory>
#include <QString>

// Every line sent to and received from a device, with the link and the device's address, under
// the logging category "zev.traffic": off by default, on with QT_LOGGING_RULES="zev.traffic=true".
Q_DECLARE_LOGGING_CATEGORY(zevTraffic)

enum class TrafficDirection { Sent, Received };

// One line of traffic: the link ("serial /dev/ttyS0", "tcp 192.168.1.10:9004") and, on an RS-485
// line, the device address the line carries in front.
void logTraffic(const QString& link, TrafficDirection direction, QByteArrayView line,
                bool rs485 = false);
