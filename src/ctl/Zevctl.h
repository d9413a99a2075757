#pragma once

#include <QStringList>
#include <QTextStream>

// The outcome of a run, as scripts read it.
enum class ExitCode { Ok = 0, DeviceError = 1, BadInput = 2, LinkFailure = 3 };

// Runs zevctl with its arguments (the program's name first): reports go to out, problems to err.
// The event loop runs while replies are awaited, so the caller needs a QCoreApplication.
ExitCode runZevctl(const QStringList& arguments, QTextStream& out, QTextStream& err);
