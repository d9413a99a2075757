#pragma once

#include "ctl/Zevctl.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>
#include <QTextStream>

// What one run of zevctl tells its caller, whatever became of it. For people: what went well on
// out, what did not on err, with every control character shown escaped, so that nothing a device
// answers or a file holds can steer their terminal. For scripts (--json): one JSON object on out
// and nothing else, on every way out, with the exit code in it.
class CtlReport {
public:
    CtlReport(QTextStream& outStream, QTextStream& errStream) : out(outStream), err(errStream) {}

    QTextStream& out;
    QTextStream& err;
    bool json = false;
    // The command's own fields ("line", "file", ...), besides those every report has.
    QJsonObject fields;

    void setCommand(const QString& name) { command_ = name; }
    // A device's part of the report: its object in "devices", and for people its lines, to out
    // when it went well and to err otherwise.
    void addDevice(const QJsonObject& device, bool ok, const QStringList& lines);
    // Something refused on the way (a title, a line of a table), each named on its own.
    void addProblem(const QString& problem) { problems_.append(problem); }
    bool hasProblems() const { return !problems_.isEmpty(); }
    // Why the run failed as a whole; gives back the code to exit with.
    ExitCode fail(ExitCode code, const QString& error);
    // What went well, for people; a script finds it in the fields.
    void tell(const QString& line);
    // The command's output itself (a table of titles): to out as it is; not in JSON.
    void writeData(const QString& data);

    // Writes what is still to be said and gives back the code.
    ExitCode finish(ExitCode code);

private:
    QJsonValue command_;
    QStringList problems_;
    QStringList errors_;
    QJsonArray devices_;
};
