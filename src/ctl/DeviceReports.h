#pragma once

#include "ctl/TargetDevice.h"
#include "ctl/Zevctl.h"

#include <QJsonObject>
#include <QList>
#include <QTextStream>

struct DeviceReport {
    QString device;
    ExchangeResult result;
};

// Where the reports go: one line per device, to out when it went well and to err otherwise
// (with what the command found out indented below it), or one JSON object on out.
struct ReportStreams {
    QTextStream& out;
    QTextStream& err;
    bool json = false;
};

// Reports every device, and the server role's targets that are not connected; header holds the
// JSON object's fields besides "devices" and "exitCode". The exit code: 3 when a device could
// not be reached or did not answer, else 1 when one refused or differs, else 0.
ExitCode reportDevices(const ReportStreams& streams, QJsonObject header,
                       const QList<DeviceReport>& reports, const QStringList& missing);
