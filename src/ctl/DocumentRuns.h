#pragma once

#include "core/SettingsDocument.h"
#include "ctl/CtlCommands.h"
#include "ctl/CtlReport.h"
#include "ctl/DocumentDifferences.h"

#include <memory>
#include <optional>

class DeviceSession;

// Where the file of one device goes: with several devices each gets its own, named after the
// device's address and port (show.dat becomes show-192.168.1.20-50211.dat).
QString devicePath(const QString& path, const QString& device, bool several);

// The document of a whole .dat file; nothing, with the reason in the report, when the file
// cannot be read or is not whole (nothing may be sent from a file cut short).
std::optional<SettingsDocument> readDocument(const QString& path, CtlReport& report);

// send-all, read-back or verify, checked before any link is opened: the file of send-all and
// verify read (and for send-all every title sendable), for read-back a folder to write in.
struct DocumentRun {
    CtlAction action = CtlAction::SendAll;
    QString path;
    std::unique_ptr<SettingsDocument> file; // send-all and verify
    CharacterLevels levels;                 // what send-all sends
    bool compareLevels = false;             // verify: the device's levels against levels
};

// The run, or nothing with every problem in the report.
std::optional<DocumentRun> prepareDocumentRun(CtlAction action, const QString& path,
                                              CtlReport& report);

// Runs the program's Send All or read-back on every device at once, each at its own pace, then
// saves what each read back (read-back) or compares it with the file (verify), and reports.
ExitCode runDocument(const DocumentRun& run, DeviceSession& session, CtlReport& report,
                     const ZevctlSetup& setup);
