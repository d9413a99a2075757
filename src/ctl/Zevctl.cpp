#include "ctl/Zevctl.h"

#include "core/FileReplacement.h"
#include "core/TrafficLogFile.h"
#include "ctl/CtlCommands.h"
#include "ctl/DeviceArguments.h"
#include "ctl/DeviceReports.h"
#include "ctl/DeviceSession.h"
#include "ctl/DocumentRuns.h"
#include "ctl/TitleTable.h"
#include "document/DatFile.h"
#include "glyphs/GlyphFile.h"
#include "link/LinkSettings.h"
#include "protocol/ReplyParsing.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

namespace {

struct Run {
    QCommandLineParser parser;
    QTextStream& out;
    QTextStream& err;
    const ZevctlSetup& setup;
    bool json = false;

    ReportStreams streams() const { return {out, err, json}; }
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
              QStringLiteral("Connect to the device at this address and port."),
              QStringLiteral("HOST:PORT"));
const QCommandLineOption
    listenOption(QStringLiteral("listen"),
                 QStringLiteral("Server role: wait for devices to connect to this port."),
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
                                "entries or peer addresses."),
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
    helpOption(QStringList{QStringLiteral("h"), QStringLiteral("help")},
               QStringLiteral("Help, also for a command: zevctl page --help."));

ExitCode usage(Run& run, const QString& text) {
    run.err << "zevctl: " << text << "\n";
    return ExitCode::BadInput;
}

void printHelp(Run& run, const CtlCommand* command) {
    if (command) {
        run.out << "Usage: zevctl [link options] " << command->name << ' ' << command->arguments
                << "\n\n"
                << command->summary << "\n\nExample:\n  " << command->example << "\n";
        return;
    }
    run.out << run.parser.helpText() << "\nCommands:\n";
    for (const CtlCommand& each : ctlCommands())
        run.out << "  " << each.name << ' ' << each.arguments << "\n";
    run.out << "\nExit codes: 0 ok, 1 device error, 2 bad usage or input, 3 link failure or no "
               "answer.\n";
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
std::unique_ptr<DeviceSession> openSession(Run& run, QTemporaryDir& portFolder, ExitCode& failure) {
    QString error;
    const auto choice = linkChoice(run, error);
    failure = ExitCode::BadInput;
    if (!choice) {
        usage(run, error);
        return nullptr;
    }
    failure = ExitCode::LinkFailure;
    // The serial link finds its port under the name COM1 in its configuration folder.
    QString folder = run.parser.isSet(configOption) ? run.parser.value(configOption)
                                                    : ConfigFolder::standard().path();
    if (choice->kind != LinkKind::Settings)
        folder = portFolder.path();
    if (choice->kind == LinkKind::Serial) {
        const QString path = QFileInfo(run.parser.value(serialOption)).absoluteFilePath();
        if (!QFileInfo::exists(path) ||
            !QFile::link(path, portFolder.filePath(QStringLiteral("COM1")))) {
            run.err << "zevctl: cannot open the serial port " << path << ": no such device\n";
            return nullptr;
        }
    }
    auto session = std::make_unique<DeviceSession>(ConfigFolder(folder));
    if (choice->kind == LinkKind::Settings) {
        const ProfileFile file = linkSettingsFile(ConfigFolder(folder));
        loadLinkSettings(session->state.link, file);
    }
    const QString linkError = session->open(*choice);
    if (!linkError.isEmpty()) {
        run.err << "zevctl: " << linkError << "\n";
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
    const QString target = devicePath(path, device.connection, several);
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

// One line to every device at once; each waits for its own reply.
ExitCode runDeviceCommand(Run& run, const CtlCommand& command, const ComposedLine& composed) {
    // The file is this command's from now on: what a killed run left beside it goes.
    if (composed.readsGlyph)
        removeLeftoverReplacement(composed.glyphFile);
    QTemporaryDir portFolder;
    ExitCode failure = ExitCode::Ok;
    const auto session = openSession(run, portFolder, failure);
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
        reports.append(DeviceReport{device->name, result});
    }
    QByteArray sent = composed.line;
    sent.chop(2);
    return reportDevices(run.streams(),
                         QJsonObject{{QStringLiteral("command"), command.name},
                                     {QStringLiteral("line"), QString::fromLatin1(sent)}},
                         reports, session->missingTargets());
}

ExitCode runDocumentCommand(Run& run, const CtlCommand& command, const QString& path) {
    const auto prepared = prepareDocumentRun(command.action, path, run.err);
    if (!prepared)
        return ExitCode::BadInput;
    if (command.action == CtlAction::ReadBack)
        removeLeftoverReplacement(path);
    QTemporaryDir portFolder;
    ExitCode failure = ExitCode::Ok;
    const auto session = openSession(run, portFolder, failure);
    if (!session)
        return failure;
    return runDocument(*prepared, command.name, *session, run.streams(), run.setup);
}

ExitCode runTitles(Run& run, const QStringList& arguments) {
    const QString action = arguments.value(0);
    if (action == QLatin1String("export") && arguments.size() == 2) {
        const auto document = readDocument(arguments[1], run.err);
        if (!document)
            return ExitCode::BadInput;
        run.out << QString::fromUtf8(exportTitles(*document));
        return ExitCode::Ok;
    }
    if (action != QLatin1String("import") || arguments.size() != 3)
        return usage(run,
                     QStringLiteral("titles export FILE.dat | titles import FILE.dat TITLES.tsv"));
    removeLeftoverReplacement(arguments[1]);
    auto document = readDocument(arguments[1], run.err);
    if (!document)
        return ExitCode::BadInput;
    QFile table(arguments[2]);
    if (!table.open(QIODevice::ReadOnly))
        return usage(run,
                     QStringLiteral("cannot read %1: %2").arg(arguments[2], table.errorString()));
    const bool skipBad = run.parser.isSet(skipBadOption);
    const TitleImport imported = importTitles(table.readAll(), *document, skipBad);
    for (const QString& problem : imported.malformed + imported.refused)
        run.err << problem << "\n";
    if (!imported.malformed.isEmpty() || (!imported.refused.isEmpty() && !skipBad)) {
        run.err << "zevctl: nothing changed\n";
        return ExitCode::BadInput;
    }
    // Written beside the file and renamed into place: the old file stays whole until then.
    QString whyNot;
    if (!replaceFile(
            arguments[1], [&](QIODevice& file) { return writeDatFile(file, *document); },
            &whyNot)) {
        run.err << "zevctl: cannot write " << arguments[1] << ": " << whyNot << "\n";
        return ExitCode::BadInput;
    }
    run.out << imported.imported << " titles imported into " << arguments[1] << "\n";
    return ExitCode::Ok;
}

} // namespace

ExitCode runZevctl(const QStringList& arguments, QTextStream& out, QTextStream& err,
                   const ZevctlSetup& setup) {
    Run run{{}, out, err, setup};
    run.parser.setApplicationDescription(
        QStringLiteral("Drives ZEV-530TQ title generators from the command line."));
    run.parser.addOptions({serialOption, rs485Option, broadcastOption, tcpOption, listenOption,
                           devicesOption, waitOption, targetOption, configOption, jsonOption,
                           trafficOption, noStoreOption, skipBadOption, positionOption,
                           helpOption});
    run.parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do."));
    if (!run.parser.parse(arguments))
        return usage(run, run.parser.errorText());
    run.json = run.parser.isSet(jsonOption);

    QStringList positional = run.parser.positionalArguments();
    const CtlCommand* command =
        positional.isEmpty() ? nullptr : findCommand(positional.takeFirst());
    if (run.parser.isSet(helpOption)) {
        printHelp(run, command);
        return ExitCode::Ok;
    }
    if (!command) {
        return usage(run, run.parser.positionalArguments().isEmpty()
                              ? QStringLiteral("no command; zevctl --help lists them")
                              : QStringLiteral("unknown command \"%1\"; zevctl --help lists them")
                                    .arg(run.parser.positionalArguments().first()));
    }
    // A log that cannot be written is refused before anything is sent; one that fails later
    // is said once, and the command goes on.
    TrafficLogFile trafficLog;
    if (run.parser.isSet(trafficOption) && !trafficLog.open(run.parser.value(trafficOption)))
        return usage(run, trafficLog.errorText());
    QObject::connect(&trafficLog, &TrafficLogFile::failed,
                     [&run](const QString& text) { run.err << "zevctl: " << text << "\n"; });
    if (command->action == CtlAction::Titles)
        return runTitles(run, positional);
    if (positional.size() != command->argumentCount) {
        return usage(run, QStringLiteral("usage: zevctl %1 %2 (example: %3)")
                              .arg(command->name, command->arguments, command->example));
    }
    if (command->action != CtlAction::SendLine)
        return runDocumentCommand(run, *command, positional[0]);
    const ComposedLine composed = command->compose(
        positional, CtlOptions{run.parser.isSet(noStoreOption), run.parser.isSet(skipBadOption),
                               run.parser.value(positionOption)});
    if (!composed.error.isEmpty())
        return usage(run, composed.error);
    return runDeviceCommand(run, *command, composed);
}
