#include "ctl/CtlCommands.h"

#include "commands/CharacterLevelCommands.h"
#include "commands/DeviceAddressCommands.h"
#include "commands/DisplayFlagCommands.h"
#include "commands/DisplayPageCommands.h"
#include "commands/DisplayPositionCommands.h"
#include "commands/GlyphCommands.h"
#include "commands/StartupPageCommands.h"
#include "commands/SwitchTimeCommands.h"
#include "commands/TitleCommands.h"
#include "core/LinkConfiguration.h"
#include "core/SettingsDocument.h"
#include "core/ShiftJisText.h"
#include "ctl/DeviceArguments.h"
#include "document/GlyphFile.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

namespace {

const QString areaWords = QStringLiteral("1T, 1B, 2T, 2B or 0-3");
const QString pageWords = QStringLiteral("1-64");
const QString pageOrAutoWords = QStringLiteral("1-64 or auto");
constexpr int maxLineCharacters = 597; // 599 with the RS-485 address in front

ComposedLine refused(const QString& why) {
    ComposedLine composed;
    composed.error = why;
    return composed;
}

ComposedLine lineToSend(const QByteArray& line) {
    ComposedLine composed;
    composed.line = line;
    return composed;
}

ComposedLine composeRawLine(const QStringList& arguments, const CtlOptions&) {
    QByteArray line = arguments[0].toLatin1();
    for (const QChar character : arguments[0]) {
        if (character.unicode() < 0x20 || character.unicode() > 0x7E)
            return refused(QStringLiteral("a line is printable ASCII: \"%1\"").arg(arguments[0]));
    }
    if (line.isEmpty() || line.size() > maxLineCharacters)
        return refused(QStringLiteral("a line has 1 to %1 characters").arg(maxLineCharacters));
    return lineToSend(line + "\r\n");
}

template <QByteArray (*lineOf)(int, int)>
ComposedLine composeAreaPage(const QStringList& arguments, const CtlOptions&) {
    const auto area = parseArea(arguments[0]);
    if (!area)
        return refused(badArgument(QStringLiteral("area"), arguments[0], areaWords));
    const auto page = parsePage(arguments[1], true);
    if (!page)
        return refused(badArgument(QStringLiteral("page"), arguments[1], pageOrAutoWords));
    return lineToSend(lineOf(*area, *page));
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
    return lineToSend(kind == QLatin1String("white") ? whiteLevelLine(*level)
                                                     : edgeLevelLine(*level));
}

ComposedLine composePosition(const QStringList& arguments, const CtlOptions&) {
    const auto area = parseArea(arguments[0]);
    if (!area)
        return refused(badArgument(QStringLiteral("area"), arguments[0], areaWords));
    const auto position = parseNumber(arguments[1], 0, displayPositionCount - 1);
    if (!position)
        return refused(
            badArgument(QStringLiteral("position"), arguments[1], QStringLiteral("0-15")));
    return lineToSend(displayPositionLine(*area, *position));
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
    return lineToSend(deviceAddressLine(*address));
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
    return lineToSend(title.line);
}

// The area and page of a title: pages 1 to 64, no "auto".
std::optional<std::pair<int, int>> parseTitlePlace(const QStringList& arguments, QString& why) {
    const auto area = parseArea(arguments[0]);
    const auto page = parsePage(arguments[1], false);
    if (!area)
        why = badArgument(QStringLiteral("area"), arguments[0], areaWords);
    else if (!page)
        why = badArgument(QStringLiteral("page"), arguments[1], pageWords);
    else
        return std::pair{*area, *page};
    return std::nullopt;
}

ComposedLine composeDisplay(const QStringList& arguments, const CtlOptions&) {
    QString why;
    const auto place = parseTitlePlace(arguments, why);
    if (!place)
        return refused(why);
    const QString flag = arguments[2].toLower();
    if (flag != QLatin1String("on") && flag != QLatin1String("off"))
        return refused(
            badArgument(QStringLiteral("display"), arguments[2], QStringLiteral("on or off")));
    return lineToSend(
        displayFlagLine(place->first, place->second, flag == QLatin1String("on") ? 1 : 0));
}

ComposedLine composeSwitchTime(const QStringList& arguments, const CtlOptions&) {
    QString why;
    const auto place = parseTitlePlace(arguments, why);
    if (!place)
        return refused(why);
    const auto seconds = parseNumber(arguments[2], 0, switchTimeCount - 1);
    if (!seconds)
        return refused(
            badArgument(QStringLiteral("seconds"), arguments[2], QStringLiteral("0-99")));
    return lineToSend(switchTimeLine(place->first, place->second, *seconds));
}

std::optional<int> parseGlyphNumber(const QString& text) {
    const auto number = parseNumber(text, 1, glyphRegistrationCount);
    return number ? std::optional<int>(*number - 1) : std::nullopt;
}

ComposedLine composeGlyphRegister(const QStringList& arguments, const CtlOptions&) {
    const auto number = parseGlyphNumber(arguments[0]);
    if (!number)
        return refused(
            badArgument(QStringLiteral("glyph number"), arguments[0], QStringLiteral("1-28")));
    QFile file(arguments[1]);
    GlyphSample sample = GlyphBitmap::filledGlyphSample();
    // Only a regular file can be a glyph file; a device or a pipe could keep us reading.
    if (!QFileInfo(arguments[1]).isFile() || !file.open(QIODevice::ReadOnly))
        return refused(QStringLiteral("cannot read the glyph file %1").arg(arguments[1]));
    if (!readGlyphFile(file, sample))
        return refused(
            QStringLiteral("not a glyph file (576 hexadecimal digits): %1").arg(arguments[1]));
    return lineToSend(glyphRegistrationLine(*number, sample));
}

ComposedLine composeGlyphRead(const QStringList& arguments, const CtlOptions&) {
    // The glyph editor's sample box holds two bytes and asks with the editor's own rule: "01" to
    // "28" or one full-width character; "1" is refused there, and so here.
    const auto bytes = ShiftJisText::encode(arguments[0]);
    if (!bytes || bytes->size() > 2)
        return refused(badArgument(QStringLiteral("sample"), arguments[0],
                                   QStringLiteral("a glyph number 01-28 or one full-width "
                                                  "character")));
    const GlyphReadRequest request = glyphReadRequest(*bytes);
    if (request.refused)
        return refused(
            QStringLiteral("外字登録番号: \"%1\" is no glyph number 01-28").arg(arguments[0]));
    ComposedLine composed = lineToSend(request.line);
    composed.readsGlyph = true;
    composed.glyphFile = arguments[1];
    return composed;
}

ComposedLine composeGlyphInsert(const QStringList& arguments, const CtlOptions& options) {
    QString why;
    const auto place = parseTitlePlace(arguments, why);
    if (!place)
        return refused(why);
    const auto number = parseGlyphNumber(arguments[2]);
    if (!number)
        return refused(
            badArgument(QStringLiteral("glyph number"), arguments[2], QStringLiteral("1-28")));
    const QString positionText =
        options.position.isEmpty() ? QStringLiteral("1") : options.position;
    const auto position = parseNumber(positionText, 1, titleCharacterCount);
    if (!position)
        return refused(
            badArgument(QStringLiteral("--position"), positionText, QStringLiteral("1-14")));
    return lineToSend(glyphInsertLine(*number, place->first, place->second, *position - 1));
}

} // namespace

const QList<CtlCommand>& ctlCommands() {
    static const QList<CtlCommand> commands{
        {QStringLiteral("send"), QStringLiteral("LINE"),
         QStringLiteral("Sends one raw command line (CR LF is added) and waits for the reply."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 send CWL2"), 1, CtlAction::SendLine,
         composeRawLine},
        {QStringLiteral("page"), QStringLiteral("AREA PAGE|auto"),
         QStringLiteral(
             "Shows the page in the area now, or switches the area's pages automatically."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 page 1T 5"), 2, CtlAction::SendLine,
         composeAreaPage<displayPageLine>},
        {QStringLiteral("startup-page"), QStringLiteral("AREA PAGE|auto"),
         QStringLiteral("Sets the page that the area shows when the device starts."),
         QStringLiteral("zevctl --serial /dev/ttyUSB0 --rs485 3 startup-page 2B auto"), 2,
         CtlAction::SendLine, composeAreaPage<startupPageLine>},
        {QStringLiteral("level"), QStringLiteral("white|edge N"),
         QStringLiteral("Sets the white or the edge level of the characters, 0 to 3."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 level edge 2"), 2, CtlAction::SendLine,
         composeLevel},
        {QStringLiteral("position"), QStringLiteral("AREA N"),
         QStringLiteral("Sets the fine display position of the area, 0 to 15."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 position 1B 9"), 2, CtlAction::SendLine,
         composePosition},
        {QStringLiteral("address"), QStringLiteral("N|broadcast"),
         QStringLiteral("Sets the RS-485 slave address the device answers to, 0 to 31."),
         QStringLiteral("zevctl --serial /dev/ttyUSB0 --rs485 0 address 5"), 1, CtlAction::SendLine,
         composeAddress},
        {QStringLiteral("title"), QStringLiteral("AREA PAGE TEXT [--no-store]"),
         QStringLiteral(
             "Sends a title of up to 14 full-width characters (UTF-8), checked as the "
             "title editor checks it; --no-store shows it only until the device restarts."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 title 1T 3 本日のニュース"), 3,
         CtlAction::SendLine, composeTitle},
        {QStringLiteral("display"), QStringLiteral("AREA PAGE on|off"),
         QStringLiteral("Shows the title of the page, or hides it."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 display 2T 12 off"), 3, CtlAction::SendLine,
         composeDisplay},
        {QStringLiteral("switch-time"), QStringLiteral("AREA PAGE SECONDS"),
         QStringLiteral("Sets how long the page stays up when the area switches its pages "
                        "automatically, 0 to 99 seconds."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 switch-time 1T 4 15"), 3,
         CtlAction::SendLine, composeSwitchTime},
        {QStringLiteral("glyph-register"), QStringLiteral("N FILE.txt"),
         QStringLiteral("Registers the glyph of a glyph file (as the glyph editor saves it) "
                        "under number 1 to 28."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 glyph-register 3 logo.txt"), 2,
         CtlAction::SendLine, composeGlyphRegister},
        {QStringLiteral("glyph-read"), QStringLiteral("SAMPLE FILE.txt"),
         QStringLiteral("Reads the glyph registered under number 01 to 28 (two digits, as the "
                        "glyph editor takes it), or the bitmap of one full-width character, into "
                        "a glyph file."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 glyph-read 03 logo.txt"), 2,
         CtlAction::SendLine, composeGlyphRead},
        {QStringLiteral("insert-glyph"), QStringLiteral("AREA PAGE N [--position P]"),
         QStringLiteral("Puts registered glyph N (1 to 28) into the title of the page at "
                        "character position P (1 to 14, 1 unless given)."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 insert-glyph 1B 12 5 --position 3"), 3,
         CtlAction::SendLine, composeGlyphInsert},
        {QStringLiteral("send-all"), QStringLiteral("FILE.dat"),
         QStringLiteral("Sends the whole document as the program's Send All does, at its pace "
                        "(about three minutes), with white and edge level 1 as the program's "
                        "level dialog starts, or --white N and --edge N. The file must be whole."),
         QStringLiteral("zevctl --listen 9004 --devices 12 --wait 60 send-all show.dat"), 1,
         CtlAction::SendAll},
        {QStringLiteral("read-back"), QStringLiteral("FILE.dat"),
         QStringLiteral("Reads every setting and title from the device into a new document "
                        "(about two minutes); with several devices FILE-ADDRESS-PORT.dat for "
                        "each."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 read-back device.dat"), 1,
         CtlAction::ReadBack},
        {QStringLiteral("verify"), QStringLiteral("FILE.dat"),
         QStringLiteral("Reads the device back and names every field that differs from the "
                        "document, titles compared as the codes they are sent as; exit code 1 "
                        "when any does. --levels also compares the white and edge levels with "
                        "--white and --edge (1 unless given)."),
         QStringLiteral("zevctl --tcp 192.168.1.20:9004 verify show.dat"), 1, CtlAction::Verify},
        {QStringLiteral("new"), QStringLiteral("FILE.dat"),
         QStringLiteral("Writes a new document, as the program's New makes it: no titles, every "
                        "title shown, switching times of 2 s, page 1 and position 7 everywhere. "
                        "An existing file is left as it is (no device needed)."),
         QStringLiteral("zevctl new show.dat"), 1, CtlAction::NewDocument},
        {QStringLiteral("titles"),
         QStringLiteral("export FILE.dat | import FILE.dat TITLES.tsv [--skip-bad]"),
         QStringLiteral("Writes the document's titles as UTF-8 tab-separated area, page and title, "
                        "or writes such a table's titles into the document (no device needed)."),
         QStringLiteral("zevctl titles export show.dat > titles.tsv"), -1, CtlAction::Titles},
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
