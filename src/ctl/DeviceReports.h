#pragma once

#include "ctl/CtlReport.h"
#include "ctl/TargetDevice.h"

#include <QList>

struct DeviceReport {
    QString device;
    int connection = 0; // the server role's connection entry; 0 otherwise
    ExchangeResult result;
};

// Reports every device, and the server role's targets that are not connected: for people one
// line each, with what the command found out indented below it. The exit code: 3 when a device
// could not be reached or did not answer, else 1 when one refused or differs, else 0.
ExitCode reportDevices(CtlReport& report, const QList<DeviceReport>& devices,
                       const QStringList& missing);
