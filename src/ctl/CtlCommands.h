#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The commands of zevctl: each with its synopsis, what it does and an example for --help, and
// what it does: one line of the program's composers sent to every device, one of the program's
// runs over the whole document, a new document or the titles of a document (no device).

struct ComposedLine {
    QByteArray line;
    QString error; // why the arguments were refused; nothing is sent then
    bool readsGlyph = false;
    QString glyphFile; // glyph-read: where the glyph read goes
};

struct CtlOptions {
    bool noStore = false; // title: shown until the device restarts, not kept in its memory
    bool skipBad = false; // titles import: leave out the titles that cannot be sent
    QString position;     // insert-glyph: the character position, 1 to 14
};

enum class CtlAction { SendLine, SendAll, ReadBack, Verify, NewDocument, Titles };

struct CtlCommand {
    QString name;
    QString arguments; // synopsis after the name
    QString summary;
    QString example;
    int argumentCount = 0;
    CtlAction action = CtlAction::SendLine;
    ComposedLine (*compose)(const QStringList& arguments, const CtlOptions& options) = nullptr;
};

const QList<CtlCommand>& ctlCommands();
const CtlCommand* findCommand(const QString& name);
