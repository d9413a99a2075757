#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace {

// The parser would name the program after the running application, which does not exist yet.
QString helpText(const QCommandLineParser& parser) {
    return QStringLiteral("Usage: zev530tq [options]\n") +
           parser.helpText().section(QLatin1Char('\n'), 1);
}

} // namespace

CommandLine parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Control program of the ZEV-530TQ video title generator. The link to the device is set "
        "in the program's menu and kept in zev530tq.ini in the configuration folder."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Shows this help and ends."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version and ends."));
    const QCommandLineOption trafficLog(
        QStringLiteral("traffic-log"),
        QStringLiteral("Appends every line sent to and received from the device, with a time "
                       "stamp, to <file>, written at least every 150 ms. At 16 MiB <file> "
                       "becomes <file>.1 (<file>.1 becomes <file>.2, and so on) and a new "
                       "<file> begins; three older files are kept, so the log never takes more "
                       "than 64 MiB."),
        QStringLiteral("file"));
    parser.addOptions({help, version, trafficLog});

    CommandLine result;
    if (!parser.parse(QStringList{QStringLiteral("zev530tq")} + arguments)) {
        result.action = CommandLine::Action::Refuse;
        result.text = parser.errorText() + QStringLiteral("\n\n") + helpText(parser);
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.action = CommandLine::Action::Refuse;
        result.text = QStringLiteral("Unexpected argument: %1\n\n%2")
                          .arg(parser.positionalArguments().first(), helpText(parser));
        return result;
    }
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::ShowHelp;
        result.text = helpText(parser);
    } else if (parser.isSet(version)) {
        result.action = CommandLine::Action::ShowVersion;
        result.text = QStringLiteral("zev530tq %1\n").arg(QStringLiteral(ZEV_VERSION));
    }
    result.trafficLogPath = parser.value(trafficLog);
    return result;
}
