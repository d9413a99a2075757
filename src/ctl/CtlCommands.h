#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The commands of zevctl: each with its synopsis, what it does and an example for --help, and
// either the composer of the line it sends (a device command) or nothing (a document command,
// run by Zevctl itself).

struct ComposedLine {
    QByteArray line;
    QString error; // why the arguments were refused; nothing is sent then
};

struct CtlOptions {
    bool noStore = false; // title: shown until the device restarts, not kept in its memory
    bool skipBad = false; // titles import: leave out the titles that cannot be sent
};

struct CtlCommand {
    QString name;
    QString arguments; // synopsis after the name
    QString summary;
    QString example;
    int argumentCount = 0;
    ComposedLine (*compose)(const QStringList& arguments, const CtlOptions& options) = nullptr;
};

const QList<CtlCommand>& ctlCommands();
const CtlCommand* findCommand(const QString& name);
