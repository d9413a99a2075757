#pragma once

#include "core/SettingsDocument.h"
#include "ctl/CtlCommands.h"
#include "ctl/DeviceReports.h"

#include <memory>
#include <optional>

class DeviceSession;

// Where the file of one device goes: with several devices each gets its own, named after its
// connection entry (show.dat becomes show-3.dat).
QString devicePath(const QString& path, int connection, bool several);

// The document of a .dat file; nothing, with the reason on err, when it cannot be read.
std::optional<SettingsDocument> readDocument(const QString& path, QTextStream& err);

// send-all, read-back or verify, checked before any link is opened: the file of send-all and
// verify read (and for send-all every title sendable), for read-back a folder to write in.
struct DocumentRun {
    CtlAction action = CtlAction::SendAll;
    QString path;
    std::unique_ptr<SettingsDocument> file; // send-all and verify
};

// The run, or nothing with every problem on err.
std::optional<DocumentRun> prepareDocumentRun(CtlAction action, const QString& path,
                                              QTextStream& err);

// Runs the program's Send All or read-back on every device at once, each at its own pace, then
// saves what each read back (read-back) or compares it with the file (verify), and reports.
ExitCode runDocument(const DocumentRun& run, const QString& commandName, DeviceSession& session,
                     const ReportStreams& streams, const ZevctlSetup& setup);
