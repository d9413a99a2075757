#include "ctl/Zevctl.h"

#include "commands/CharacterLevelCommands.h"
#include "core/FileReplacement.h"
#include "core/TrafficLogFile.h"
#include "ctl/CtlCommands.h"
#include "ctl/CtlHelp.h"
#include "ctl/CtlReport.h"
#include "ctl/DeviceArguments.h"
#include "ctl/DeviceReports.h"
#include "ctl/DeviceSession.h"
#include "ctl/DocumentRuns.h"
#include "ctl/FileCommands.h"
#include "document/GlyphFile.h"
#include "link/LinkSettings.h"
#include "protocol/ReplyParsing.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <memory>

namespace {

struct Run {
    QCommandLineParser parser;
    CtlReport report;
    const ZevctlSetup& setup;
};

const QCommandLineOption serialOption(QStringLiteral("serial"),
                                      QStringLiteral("The device on this serial port (9600 8E1)."),
                                      QStringLiteral("PATH"));
const QCommandLineOption
    rs485Option(QStringLiteral("rs485"),
                QStringLiteral("RS-485: the device with this slave address, 0-31."),
                QStringLiteral("ADDR"));
const QCommandLineOption
    broadcastOption(QStringLiteral("broadcast"),
                    QStringLiteral("RS-485: every device on the line (no reply)."));
const QCommandLineOption
    tcpOption(QStringLiteral("tcp"),
              QStringLiteral("Connect to the device at this address (or host name) and port."),
              QStringLiteral("HOST:PORT"));
const QCommandLineOption
    listenOption(QStringLiteral("listen"),
                 QStringLiteral("Server role: wait for devices to connect to this port, on this "
                                "local address only when one is given."),
                 QStringLiteral("[HOST:]PORT"));
const QCommandLineOption
    devicesOption(QStringLiteral("devices"),
                  QStringLiteral("Server role: wait for this many devices (1)."),
                  QStringLiteral("N"), QStringLiteral("1"));
const QCommandLineOption waitOption(QStringLiteral("wait"),
                                    QStringLiteral("Seconds to wait for the connection(s) (5)."),
                                    QStringLiteral("SECONDS"), QStringLiteral("5"));
const QCommandLineOption
    targetOption(QStringLiteral("target"),
                 QStringLiteral("Server role: all, or a comma list of connection "
                                "entries, peer addresses or ADDRESS:PORT."),
                 QStringLiteral("all|LIST"), QStringLiteral("all"));
const QCommandLineOption
    configOption(QStringLiteral("config-folder"),
                 QStringLiteral("The folder of zev530tq.ini (without link options)."),
                 QStringLiteral("DIR"));
const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("Report as JSON."));
const QCommandLineOption
    trafficOption(QStringLiteral("traffic-log"),
                  QStringLiteral("Append every line sent and received to FILE (at 16 MiB it "
                                 "becomes FILE.1, FILE.1 becomes FILE.2...; three are kept)."),
                  QStringLiteral("FILE"));
const QCommandLineOption
    noStoreOption(QStringLiteral("no-store"),
                  QStringLiteral("title: show only until the device restarts."));
const QCommandLineOption
    skipBadOption(QStringLiteral("skip-bad"),
                  QStringLiteral("titles import: leave out titles that cannot be sent."));
const QCommandLineOption
    positionOption(QStringLiteral("position"),
                   QStringLiteral("insert-glyph: the character position, 1-14 (1)."),
                   QStringLiteral("P"));
const QCommandLineOption
    whiteOption(QStringLiteral("white"),
                QStringLiteral("send-all: the white level sent, 0-3 (1); verify --levels: the one "
                               "expected."),
                QStringLiteral("N"));
const QCommandLineOption
    edgeOption(QStringLiteral("edge"),
               QStringLiteral("send-all: the edge level sent, 0-3 (1); verify --levels: the one "
                              "expected."),
               QStringLiteral("N"));
const QCommandLineOption
    levelsOption(QStringLiteral("levels"),
                 QStringLiteral("verify: compare the white and edge levels too."));
const QCommandLineOption
    helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")},
               QStringLiteral("Help, also for a command: zevctl page --help."));
const QCommandLineOption versionOption(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                       QStringLiteral("Shows the version."));

ExitCode usage(Run& run, const QString& text) {
    return run.report.fail(ExitCode::BadInput, text);
}

std::optional<LinkChoice> linkChoice(Run& run, QString& error) {
    LinkChoice choice;
    const QCommandLineParser& parser = run.parser;
    const int links = int(parser.isSet(serialOption)) + int(parser.isSet(tcpOption)) +
                      int(parser.isSet(listenOption));
    if (links > 1) {
        error = QStringLiteral("choose one of --serial, --tcp and --listen");
        return std::nullopt;
    }
    const auto wait = parseNumber(parser.value(waitOption), 0, 3600);
    const auto devices = parseNumber(parser.value(devicesOption), 1, TcpLink::lastConnection);
    if (!wait || !devices) {
        error = !wait ? badArgument(QStringLiteral("--wait"), parser.value(waitOption),
                                    QStringLiteral("0-3600"))
                      : badArgument(QStringLiteral("--devices"), parser.value(devicesOption),
                                    QStringLiteral("1-96"));
        return std::nullopt;
    }
    choice.waitSeconds = *wait;
    choice.devices = *devices;
    if ((parser.isSet(rs485Option) || parser.isSet(broadcastOption)) &&
        !parser.isSet(serialOption)) {
        error = QStringLiteral("--rs485 and --broadcast go with --serial");
        return std::nullopt;
    }
    if (parser.isSet(serialOption)) {
        choice.kind = LinkKind::Serial;
        choice.serialPath = QFileInfo(parser.value(serialOption)).absoluteFilePath();
        if (parser.isSet(rs485Option) && parser.isSet(broadcastOption)) {
            error = QStringLiteral("choose --rs485 ADDR or --broadcast");
            return std::nullopt;
        }
        if (parser.isSet(broadcastOption)) {
            choice.rs485Mode = Rs485Mode::Rs485;
            choice.slaveAddress = LinkConfiguration::broadcastAddress;
        } else if (parser.isSet(rs485Option)) {
            const auto address =
                parseNumber(parser.value(rs485Option), 0, LinkConfiguration::broadcastAddress - 1);
            if (!address) {
                error = badArgument(QStringLiteral("--rs485 address"), parser.value(rs485Option),
                                    QStringLiteral("0-31"));
                return std::nullopt;
            }
            choice.rs485Mode = Rs485Mode::Rs485;
            choice.slaveAddress = *address;
        }
    }
    if (parser.isSet(tcpOption) || parser.isSet(listenOption)) {
        const QString text = parser.value(parser.isSet(tcpOption) ? tcpOption : listenOption);
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        choice.kind = parser.isSet(tcpOption) ? LinkKind::TcpClient : LinkKind::TcpServer;
        choice.host = colon < 0 ? QString() : text.left(colon);
        const QString port = colon < 0 ? text : text.mid(colon + 1);
        if (!parseNumber(port, 1, 65535) ||
            (choice.kind == LinkKind::TcpClient && choice.host.isEmpty())) {
            error = badArgument(parser.isSet(tcpOption) ? QStringLiteral("--tcp")
                                                        : QStringLiteral("--listen"),
                                text,
                                parser.isSet(tcpOption) ? QStringLiteral("HOST:PORT")
                                                        : QStringLiteral("[HOST:]PORT"));
            return std::nullopt;
        }
        choice.port = port;
    }
    const QString targets = parser.value(targetOption);
    if (targets != QLatin1String("all"))
        choice.targets = targets.split(QLatin1Char(','), Qt::SkipEmptyParts);
    return choice;
}

// The session with its devices, the link up; nothing when it did not come up (the reason on
// err, the exit code in failure).
std::unique_ptr<DeviceSession> openSession(Run& run, ExitCode& failure) {
    QString error;
    const auto choice = linkChoice(run, error);
    failure = ExitCode::BadInput;
    if (!choice) {
        usage(run, error);
        return nullptr;
    }
    // The program's own settings, in its folder or the one named; a folder that is not there is
    // a mistake, not a reason to try some other port.
    const QString folder = run.parser.isSet(configOption) ? run.parser.value(configOption)
                                                          : ConfigFolder::standard().path();
    if (run.parser.isSet(configOption) && !QFileInfo(folder).isDir()) {
        usage(run, QStringLiteral("--config-folder %1: no such folder").arg(folder));
        return nullptr;
    }
    failure = ExitCode::LinkFailure;
    if (choice->kind == LinkKind::Serial && !QFileInfo::exists(choice->serialPath)) {
        run.report.fail(failure, QStringLiteral("cannot open the serial port %1: no such device")
                                     .arg(choice->serialPath));
        return nullptr;
    }
    auto session = std::make_unique<DeviceSession>(ConfigFolder(folder));
    if (choice->kind == LinkKind::Settings) {
        const ProfileFile file = linkSettingsFile(ConfigFolder(folder));
        loadLinkSettings(session->state.link, file);
    }
    const QString linkError = session->open(*choice);
    if (!linkError.isEmpty()) {
        run.report.fail(failure, linkError);
        return nullptr;
    }
    return session;
}

// The glyph that a device answered a glyph read with, into its file (one per device when there
// are several).
void saveGlyphRead(const QString& path, TargetDevice& device, bool several,
                   ExchangeResult& result) {
    if (result.outcome != Outcome::Ok)
        return;
    // Only a whole glyph was taken into the sample; anything else would write the sample that
    // was there before.
    if (!parseGlyph(result.reply)) {
        result.outcome = Outcome::DeviceError;
        result.details.append(QStringLiteral("no glyph in the reply; %1 not written").arg(path));
        return;
    }
    const QString target = devicePath(path, device.name, several);
    QString whyNot;
    if (replaceFile(
            target, [&](QIODevice& file) { return writeGlyphFile(file, device.state.glyphSample); },
            &whyNot)) {
        result.details.append(QStringLiteral("saved %1").arg(target));
    } else {
        result.outcome = Outcome::DeviceError;
        result.details.append(QStringLiteral("cannot write %1: %2").arg(target, whyNot));
    }
}

// The server role's devices that did not come: a failure of the link, whatever the others did.
ExitCode withShortfall(Run& run, const DeviceSession& session, ExitCode exitCode) {
    if (session.shortfall().isEmpty())
        return exitCode;
    return std::max(exitCode, run.report.fail(ExitCode::LinkFailure, session.shortfall()));
}

// One line to every device at once; each waits for its own reply.
ExitCode runDeviceCommand(Run& run, const ComposedLine& composed) {
    QByteArray sent = composed.line;
    sent.chop(2);
    run.report.fields.insert(QStringLiteral("line"), QString::fromLatin1(sent));
    // The file is this command's from now on: what a killed run left beside it goes.
    if (composed.readsGlyph)
        removeLeftoverReplacement(composed.glyphFile);
    ExitCode failure = ExitCode::Ok;
    const auto session = openSession(run, failure);
    if (!session)
        return failure;
    for (const auto& device : session->devices())
        device->startExchange(composed.line, composed.readsGlyph);
    session->waitForDevices();

    QList<DeviceReport> reports;
    for (const auto& device : session->devices()) {
        ExchangeResult result = device->result();
        if (composed.readsGlyph)
            saveGlyphRead(composed.glyphFile, *device, session->devices().size() > 1, result);
        reports.append(DeviceReport{device->name, device->connection, result});
    }
    return withShortfall(run, *session,
                         reportDevices(run.report, reports, session->missingTargets()));
}

// --white or --edge: 0 to 3, 1 when not given.
std::optional<int> levelOption(Run& run, const QCommandLineOption& option) {
    if (!run.parser.isSet(option))
        return 1;
    const auto level = parseNumber(run.parser.value(option), 0, characterLevelCount - 1);
    if (!level)
        usage(run, badArgument(QStringLiteral("--") + option.names().constFirst(),
                               run.parser.value(option), QStringLiteral("0-3")));
    return level;
}

ExitCode runDocumentCommand(Run& run, const CtlCommand& command, const QString& path) {
    const auto white = levelOption(run, whiteOption);
    const auto edge = levelOption(run, edgeOption);
    if (!white || !edge)
        return ExitCode::BadInput;
    auto prepared = prepareDocumentRun(command.action, path, run.report);
    if (!prepared)
        return ExitCode::BadInput;
    prepared->levels = CharacterLevels{*white, *edge};
    prepared->compareLevels = command.action == CtlAction::Verify && run.parser.isSet(levelsOption);
    if (command.action == CtlAction::ReadBack)
        removeLeftoverReplacement(path);
    ExitCode failure = ExitCode::Ok;
    const auto session = openSession(run, failure);
    if (!session)
        return failure;
    return withShortfall(run, *session, runDocument(*prepared, *session, run.report, run.setup));
}

ExitCode runTitles(Run& run, const QStringList& arguments) {
    const QString action = arguments.value(0);
    if (action == QLatin1String("export") && arguments.size() == 2)
        return exportTitleTable(arguments[1], run.report);
    if (action == QLatin1String("import") && arguments.size() == 3)
        return importTitleTable(arguments[1], arguments[2], run.parser.isSet(skipBadOption),
                                run.report);
    return usage(run, QStringLiteral("titles export FILE.dat | titles import FILE.dat TITLES.tsv"));
}

// The parse failed: whether the caller asked for JSON still decides how the failure is told.
bool asksForJson(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--json"))
            return true;
    }
    return false;
}

ExitCode runCommand(Run& run) {
    QStringList positional = run.parser.positionalArguments();
    if (positional.isEmpty())
        return usage(run, QStringLiteral("no command; zevctl --help lists them"));
    const CtlCommand* command = findCommand(positional.takeFirst());
    if (!command) {
        return usage(run, QStringLiteral("unknown command \"%1\"; zevctl --help lists them")
                              .arg(run.parser.positionalArguments().first()));
    }
    run.report.setCommand(command->name);
    // A log that cannot be written is refused before anything is sent; one that fails later
    // is said once, and the command goes on.
    TrafficLogFile trafficLog;
    if (run.parser.isSet(trafficOption) && !trafficLog.open(run.parser.value(trafficOption)))
        return usage(run, trafficLog.errorText());
    QObject::connect(&trafficLog, &TrafficLogFile::failed,
                     [&run](const QString& text) { run.report.addProblem(text); });
    if (command->action == CtlAction::Titles)
        return runTitles(run, positional);
    if (positional.size() != command->argumentCount) {
        return usage(run, QStringLiteral("usage: zevctl %1 %2 (example: %3)")
                              .arg(command->name, command->arguments, command->example));
    }
    if (command->action == CtlAction::NewDocument)
        return writeNewDocument(positional[0], run.report);
    if (command->action != CtlAction::SendLine)
        return runDocumentCommand(run, *command, positional[0]);
    const ComposedLine composed = command->compose(
        positional, CtlOptions{run.parser.isSet(noStoreOption), run.parser.isSet(skipBadOption),
                               run.parser.value(positionOption)});
    if (!composed.error.isEmpty())
        return usage(run, composed.error);
    return runDeviceCommand(run, composed);
}

} // namespace

ExitCode runZevctl(const QStringList& arguments, QTextStream& out, QTextStream& err,
                   const ZevctlSetup& setup) {
    Run run{{}, CtlReport(out, err), setup};
    run.parser.setApplicationDescription(
        QStringLiteral("Drives ZEV-530TQ title generators from the command line."));
    run.parser.addOptions({serialOption, rs485Option, broadcastOption, tcpOption, listenOption,
                           devicesOption, waitOption, targetOption, configOption, jsonOption,
                           trafficOption, noStoreOption, skipBadOption, positionOption, whiteOption,
                           edgeOption, levelsOption, helpOption, versionOption});
    run.parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do."));
    const bool parsed = run.parser.parse(arguments);
    run.report.json = parsed ? run.parser.isSet(jsonOption) : asksForJson(arguments);
    if (!parsed)
        return run.report.finish(usage(run, run.parser.errorText()));
    // Asked for by a person (or help2man), and answered as text.
    if (run.parser.isSet(helpOption)) {
        const QStringList positional = run.parser.positionalArguments();
        const CtlCommand* command =
            positional.isEmpty() ? nullptr : findCommand(positional.first());
        out << (command ? commandHelp(*command) : zevctlHelp(run.parser));
        return ExitCode::Ok;
    }
    if (run.parser.isSet(versionOption)) {
        out << "zevctl " << QStringLiteral(ZEV_VERSION) << "\n";
        return ExitCode::Ok;
    }
    return run.report.finish(runCommand(run));
}
