#include "ctl/CtlHelp.h"

#include <QCommandLineParser>

namespace {

constexpr qsizetype helpWidth = 79;
// Deep enough for help2man to take a command as a term and its summary as the description.
constexpr qsizetype summaryIndent = 20;

// The text broken into lines of the help's width, each indented.
QString wrapped(const QString& text, qsizetype indent) {
    QString lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > helpWidth) {
            lines += QString(indent, QLatin1Char(' ')) + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return lines + QString(indent, QLatin1Char(' ')) + line + QLatin1Char('\n');
}

} // namespace

QString zevctlHelp(const QCommandLineParser& parser) {
    // The parser would name the program by the path it was started with, and list "command" as
    // its one argument.
    QString help = QStringLiteral("Usage: zevctl [options] COMMAND [ARGUMENTS]\n") +
                   parser.helpText()
                       .section(QLatin1Char('\n'), 1)
                       .section(QStringLiteral("\nArguments:"), 0, 0) +
                   QStringLiteral("\nCommands:\n");
    for (const CtlCommand& command : ctlCommands()) {
        help += QStringLiteral("  %1 %2\n").arg(command.name, command.arguments) +
                wrapped(command.summary, summaryIndent);
    }
    return help + QStringLiteral("\nReports:\n") +
           wrapped(QStringLiteral(
                       "One line per device, on standard output when it went well and on "
                       "standard error otherwise, control characters escaped as \\xHH. With "
                       "--json, one JSON object on standard output and nothing else, whatever "
                       "happened: \"command\", \"exitCode\", \"devices\" (each with \"device\", "
                       "\"result\", \"reply\", \"meaning\", \"messages\", \"details\"), "
                       "\"error\" and \"problems\" when there are any, and the command's own "
                       "fields."),
                   2) +
           QStringLiteral(
               "\nExit codes:\n"
               "  0  ok\n"
               "  1  a device refused (E0 to E3, GN, MENU), or verify found a difference\n"
               "  2  bad usage or input (a file that is not whole, a title that cannot be sent):\n"
               "     nothing was sent\n"
               "  3  no link, no answer, a device that left, or fewer devices than --devices\n");
}

QString commandHelp(const CtlCommand& command) {
    return QStringLiteral("Usage: zevctl [link options] %1 %2\n\n%3\n\nExample:\n  %4\n")
        .arg(command.name, command.arguments, command.summary, command.example);
}
