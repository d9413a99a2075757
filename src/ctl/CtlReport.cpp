#include "ctl/CtlReport.h"

#include <QJsonDocument>

namespace {

// C0 and C1 controls and DEL as \xHH: an escape sequence in a reply could otherwise retitle the
// terminal, move its cursor or hide what went before.
QString escaped(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
            shown += QStringLiteral("\\x") +
                     QString::number(code, 16).toUpper().rightJustified(2, QLatin1Char('0'));
        else
            shown += character;
    }
    return shown;
}

} // namespace

void CtlReport::addDevice(const QJsonObject& device, bool ok, const QStringList& lines) {
    devices_.append(device);
    if (json)
        return;
    for (const QString& line : lines)
        (ok ? out : err) << escaped(line) << "\n";
}

ExitCode CtlReport::fail(ExitCode code, const QString& error) {
    errors_.append(error);
    return code;
}

void CtlReport::tell(const QString& line) {
    if (!json)
        out << escaped(line) << "\n";
}

void CtlReport::writeData(const QString& data) {
    if (!json)
        out << data;
}

ExitCode CtlReport::finish(ExitCode code) {
    if (!json) {
        for (const QString& problem : problems_)
            err << escaped(problem) << "\n";
        for (const QString& error : errors_)
            err << "zevctl: " << escaped(error) << "\n";
        return code;
    }
    QJsonObject report = fields;
    report.insert(QStringLiteral("command"), command_);
    report.insert(QStringLiteral("exitCode"), int(code));
    if (!errors_.isEmpty())
        report.insert(QStringLiteral("error"), errors_.join(QStringLiteral("; ")));
    if (!problems_.isEmpty())
        report.insert(QStringLiteral("problems"), QJsonArray::fromStringList(problems_));
    report.insert(QStringLiteral("devices"), devices_);
    out << QJsonDocument(report).toJson(QJsonDocument::Indented);
    return code;
}
