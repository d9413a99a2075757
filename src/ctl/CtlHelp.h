#pragma once

#include "ctl/CtlCommands.h"

#include <QString>

class QCommandLineParser;

// zevctl --help: the options as the parser lists them, then every command with what it does,
// how the reports look and the exit codes. help2man makes the manual page of it, so its layout
// is the one help2man reads (a command on its line, its summary indented below).
QString zevctlHelp(const QCommandLineParser& parser);

// zevctl COMMAND --help: the command's synopsis, what it does and an example.
QString commandHelp(const CtlCommand& command);
