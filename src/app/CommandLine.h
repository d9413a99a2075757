#pragma once

#include <QString>
#include <QStringList>

// What the operator asked for on the command line. The program itself takes no settings from
// it (the settings file holds them); only the answers a desktop user expects and the traffic log.
struct CommandLine {
    enum class Action { Run, ShowHelp, ShowVersion, Refuse };

    Action action = Action::Run;
    QString trafficLogPath; // every line sent and received, with a time stamp
    QString text;           // the help, the version or why the arguments were refused
};

// Reads the arguments (without the program name). Nothing here needs a display, so --help and
// --version answer on a machine without one.
CommandLine parseCommandLine(const QStringList& arguments);
