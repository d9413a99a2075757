#include "ctl/CtlCommands.h"

#include "core/LinkConfiguration.h"
#include "ctl/DeviceArguments.h"
#include "document/SettingsDocument.h"
#include "protocol/ShiftJisText.h"
#include "settings/CharacterLevelCommands.h"
#include "settings/DeviceAddressCommands.h"
#include "settings/DisplayPageCommands.h"
#include "settings/DisplayPositionCommands.h"
#include "settings/StartupPageCommands.h"
#include "settings/TitleCommands.h"

#include <memory>

namespace {

const QString areaWords = QStringLiteral("1T, 1B, 2T, 2B or 0-3");
const QString pageWords = QStringLiteral("1-64");
const QString pageOrAutoWords = QStringLiteral("1-64 or auto");
constexpr int maxLineCharacters = 597; // 599 with the RS-485 address in front

ComposedLine refused(const QString& why) {
    return ComposedLine{{}, why};
}

ComposedLine composeRawLine(const QStringList& arguments, const CtlOptions&) {
    QByteArray line = arguments[0].toLatin1();
    for (const QChar character : arguments[0]) {
        if (character.unicode() < 0x20 || character.unicode() > 0x7E)
            return refused(QStringLiteral("a line is printable ASCII: \"%1\"").arg(arguments[0]));
    }
    if (line.isEmpty() || line.size() > maxLineCharacters)
        return refused(QStringLiteral("a line has 1 to %1 characters").arg(maxLineCharacters));
    return ComposedLine{line + "\r\n", {}};
}

template <QByteArray (*lineOf)(int, int)>
ComposedLine composeAreaPage(const QStringList& arguments, const CtlOptions&) {
    const auto area = parseArea(arguments[0]);
    if (!area)
        return refused(badArgument(QStringLiteral("area"), arguments[0], areaWords));
    const auto page = parsePage(arguments[1], true);
    if (!page)
        return refused(badArgument(QStringLiteral("page"), arguments[1], pageOrAutoWords));
    return ComposedLine{lineOf(*area, *page), {}};
}

ComposedLine composeLevel(const QStringList& arguments, const CtlOptions&) {
    const QString kind = arguments[0].toLower();
    const auto level = parseNumber(arguments[1], 0, characterLevelCount - 1);
    if (kind != QLatin1String("white") && kind != QLatin1String("edge"))
        return refused(
            badArgument(QStringLiteral("level"), arguments[0], QStringLiteral("white or edge")));
    if (!level)
        return refused(
            badArgument(QStringLiteral("level value"), arguments[1], QStringLiteral("0-3")));
    return ComposedLine{
        kind == QLatin1String("white") ? whiteLevelLine(*level) : edgeLevelLine(*level), {}};
}

ComposedLine composePosition(const QStringList& arguments, const CtlOptions&) {
    const auto area = parseArea(arguments[0]);
    if (!area)
        return refused(badArgument(QStringLiteral("area"), arguments[0], areaWords));
    const auto position = parseNumber(arguments[1], 0, displayPositionCount - 1);
    if (!position)
        return refused(
            badArgument(QStringLiteral("position"), arguments[1], QStringLiteral("0-15")));
    return ComposedLine{displayPositionLine(*area, *position), {}};
}

ComposedLine composeAddress(const QStringList& arguments, const CtlOptions&) {
    const bool broadcast =
        arguments[0].compare(QLatin1String("broadcast"), Qt::CaseInsensitive) == 0;
    const auto address =
        broadcast ? std::optional<int>(LinkConfiguration::broadcastAddress)
                  : parseNumber(arguments[0], 0, LinkConfiguration::broadcastAddress - 1);
    if (!address)
        return refused(badArgument(QStringLiteral("address"), arguments[0],
                                   QStringLiteral("0-31 or broadcast")));
    return ComposedLine{deviceAddressLine(*address), {}};
}

ComposedLine composeTitle(const QStringList& arguments, const CtlOptions& options) {
    const auto area = parseArea(arguments[0]);
    if (!area)
        return refused(badArgument(QStringLiteral("area"), arguments[0], areaWords));
    const auto page = parsePage(arguments[1], false);
    if (!page)
        return refused(badArgument(QStringLiteral("page"), arguments[1], pageWords));
    const auto bytes = ShiftJisText::encode(arguments[2]);
    if (!bytes)
        return refused(
            QStringLiteral("a character of \"%1\" has no Shift-JIS form").arg(arguments[2]));
    if (bytes->size() > titleByteLimit) {
        return refused(titleRefusedMessage + QStringLiteral(": ") +
                       titleProblem(*bytes).value_or(QString()));
    }
    // The title editor's own check and composer, on a document that holds just this title.
    const auto document = std::make_unique<SettingsDocument>();
    document->titleTexts[std::size_t(SettingsDocument::titleIndex(*area, *page))].assign(*bytes);
    const TitleLine title = titleLine(
        *document, *area, *page, options.noStore ? TitleStorage::NotStored : TitleStorage::Stored);
    if (!title.isSendable())
        return refused(titleRefusedMessage + QStringLiteral(": ") + title.problem);
    return ComposedLine{title.line, {}};
}

} // namespace

const QList<CtlCommand>& ctlCommands() {
    static const QList<CtlCommand> commands{
        {QStringLiteral("send"), QStringLiteral("LINE"),
         QStringLiteral("Sends one raw command line (CR LF is added) and waits for the reply."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 send CWL2"), 1, composeRawLine},
        {QStringLiteral("page"), QStringLiteral("AREA PAGE|auto"),
         QStringLiteral(
             "Shows the page in the area now, or switches the area's pages automatically."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 page 1T 5"), 2,
         composeAreaPage<displayPageLine>},
        {QStringLiteral("startup-page"), QStringLiteral("AREA PAGE|auto"),
         QStringLiteral("Sets the page that the area shows when the device starts."),
         QStringLiteral("zevctl --serial /dev/ttyUSB0 --rs485 3 startup-page 2B auto"), 2,
         composeAreaPage<startupPageLine>},
        {QStringLiteral("level"), QStringLiteral("white|edge N"),
         QStringLiteral("Sets the white or the edge level of the characters, 0 to 3."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 level edge 2"), 2, composeLevel},
        {QStringLiteral("position"), QStringLiteral("AREA N"),
         QStringLiteral("Sets the fine display position of the area, 0 to 15."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 position 1B 9"), 2, composePosition},
        {QStringLiteral("address"), QStringLiteral("N|broadcast"),
         QStringLiteral("Sets the RS-485 slave address the device answers to, 0 to 31."),
         QStringLiteral("zevctl --serial /dev/ttyUSB0 --rs485 0 address 5"), 1, composeAddress},
        {QStringLiteral("title"), QStringLiteral("AREA PAGE TEXT [--no-store]"),
         QStringLiteral(
             "Sends a title of up to 14 full-width characters (UTF-8), checked as the "
             "title editor checks it; --no-store shows it only until the device restarts."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 title 1T 3 本日のニュース"), 3,
         composeTitle},
        {QStringLiteral("titles"),
         QStringLiteral("export FILE.dat | import FILE.dat TITLES.tsv [--skip-bad]"),
         QStringLiteral("Writes the document's titles as UTF-8 tab-separated area, page and title, "
                        "or writes such a table's titles into the document (no device needed)."),
         QStringLiteral("zevctl titles export show.dat > titles.tsv"), -1, nullptr},
    };
    return commands;
}

const CtlCommand* findCommand(const QString& name) {
    for (const CtlCommand& command : ctlCommands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}
