#pragma once

#include <QStringList>
#include <QTextStream>
#include <functional>

class TargetDevice;

// The outcome of a run, as scripts read it.
enum class ExitCode { Ok = 0, DeviceError = 1, BadInput = 2, LinkFailure = 3 };

// What the caller adds: the progress bar of the runs on err (for a terminal), and a look at each
// device's run as it starts (tests drive its ticks).
struct ZevctlSetup {
    bool progressBar = false;
    std::function<void(TargetDevice& device)> runStarted;
};

// Runs zevctl with its arguments (the program's name first): reports go to out, problems to err.
// The event loop runs while replies are awaited, so the caller needs a QCoreApplication.
ExitCode runZevctl(const QStringList& arguments, QTextStream& out, QTextStream& err,
                   const ZevctlSetup& setup = {});
