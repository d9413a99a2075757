#include "protocol/ReplyHandler.h"

#include "core/AppState.h"
#include "core/ExchangeState.h"
#include "document/SettingsDocument.h"
#include "protocol/FieldEncoding.h"
#include "protocol/JisConversion.h"
#include "protocol/MessageBoxes.h"

#include <optional>

namespace {

constexpr int titleCodeCount = 14;

struct ReplyTexts {
    const char* accepted;
    const char* glyphAutoSwitching;
    const char* modeDifference;
    const char* menuDisplay;
    const char* errors[4];
};

const ReplyTexts serialTexts{nullptr,
                             "自動切換え中！",
                             "Mode difference",
                             "Menu Display",
                             {"Framing Error", "Parity Error", "Over run Error", "Command Error"}};
const ReplyTexts tcpTexts{
    "Socket ＯＫ",
    "Socket 自動切換え中！",
    "Socket mode difference",
    "Socket Menu Display",
    {"Socket Framing", "Socket Framing", "Socket Over run", "Socket Command"}};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isUpperHexDigit(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'F');
}
bool isUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

bool allOf(QByteArrayView field, bool (*accepted)(char)) {
    for (char c : field) {
        if (!accepted(c))
            return false;
    }
    return true;
}

// The DisplayArea of the channel digits and line letter at position at, or nothing when the
// channel is not "01" or "02".
std::optional<int> areaAt(QByteArrayView reply, qsizetype at) {
    if (reply.size() < at + 3 || reply[at] != '0' || (reply[at + 1] != '1' && reply[at + 1] != '2'))
        return std::nullopt;
    return areaFromCode(reply.data() + at, reply[at + 2]);
}

std::optional<int> twoDigitsAt(QByteArrayView reply, qsizetype at) {
    if (reply.size() < at + 2 || !isDigit(reply[at]) || !isDigit(reply[at + 1]))
        return std::nullopt;
    return parseTwoDigits(reply.data() + at);
}

// A page field: "A" for AUTO, otherwise "01" to "64" as the page index 0 to 63.
std::optional<int> pageAt(QByteArrayView reply, qsizetype at) {
    if (reply.size() > at && reply[at] == 'A')
        return SettingsDocument::autoPage;
    const auto number = twoDigitsAt(reply, at);
    if (!number || *number < 1 || *number > SettingsDocument::pageCount)
        return std::nullopt;
    return *number - 1;
}

} // namespace

ReplyHandler::ReplyHandler(AppState& state, ExchangeState& exchange, SettingsDocument& document,
                           MessageBoxes& boxes, QObject* parent)
    : QObject(parent), state_(state), exchange_(exchange), document_(document), boxes_(boxes) {}

void ReplyHandler::handleSerialReply(QByteArrayView line) {
    exchange_.replyWaitTicks = 0;
    exchange_.replyPending = 0;
    if (state_.link.rs485Mode == Rs485Mode::Rs485)
        line = line.size() >= 2 ? line.sliced(2) : QByteArrayView();
    interpret(line, Link::Serial);
    exchange_.glyphReadPending = 0;
}

int ReplyHandler::handleTcpBytes(QByteArrayView bytes) {
    int completed = 0;
    for (char byte : bytes) {
        if (byte == '\0')
            continue; // never part of a reply, and the buffer is NUL-terminated
        if (!discardingTcpLine_ && !tcpReplyBuffer.append(byte))
            discardingTcpLine_ = true;
        tcpReplyPartial = 1;
        if (byte == '\n') {
            finishTcpLine();
            ++completed;
        }
    }
    return completed;
}

void ReplyHandler::discardPartialTcpLine() {
    tcpReplyBuffer.clear();
    tcpReplyPartial = 0;
    discardingTcpLine_ = false;
}

void ReplyHandler::finishTcpLine() {
    const QByteArray line = tcpReplyBuffer.toByteArray();
    const bool discarded = discardingTcpLine_;
    tcpReplyBuffer.clear();
    tcpReplyPartial = 0;
    discardingTcpLine_ = false;
    if (!discarded)
        interpret(line, Link::Tcp);
    exchange_.glyphReadPending = 0;
}

void ReplyHandler::interpret(QByteArrayView reply, Link link) {
    const ReplyTexts& texts = link == Link::Serial ? serialTexts : tcpTexts;
    exchange_.exchangeFailed = 0;

    const bool accepted =
        link == Link::Serial ? reply == QByteArrayView("GO\r\n") : reply.startsWith("GO");
    if (accepted) {
        if (exchange_.sequenceStep == 0) {
            if (link == Link::Serial)
                boxes_.showSettingDone();
            else
                boxes_.showSuccess(QString::fromUtf8(texts.accepted));
        }
        return;
    }
    if (storeReadBack(reply))
        return;
    if (reply.startsWith("GN")) {
        if (exchange_.glyphReadPending == 0)
            boxes_.showError(QString::fromUtf8(texts.modeDifference));
        else if (link == Link::Serial)
            boxes_.showError(QString::fromUtf8(texts.glyphAutoSwitching));
        else
            boxes_.showStopError(QString::fromUtf8(texts.glyphAutoSwitching));
        return;
    }
    if (reply.startsWith("MENU")) {
        boxes_.showError(QString::fromUtf8(texts.menuDisplay));
        return;
    }
    static constexpr const char* errorCodes[] = {"E0", "E1", "E2", "E3"};
    for (int code = 0; code < 4; ++code) {
        if (reply.startsWith(errorCodes[code])) {
            exchange_.exchangeFailed = 1;
            boxes_.showError(QString::fromUtf8(texts.errors[code]));
            return;
        }
    }
}

bool ReplyHandler::storeReadBack(QByteArrayView reply) {
    // Tested in this order: "CTDPO" before "CTD", and both before "CT".
    if (reply.startsWith("AST"))
        storeSwitchTimes(reply);
    else if (reply.startsWith("CTDPO"))
        storeDisplayPosition(reply);
    else if (reply.startsWith("CTD"))
        storeDisplayFlags(reply);
    else if (reply.startsWith("CEL"))
        storeLevel(reply, document_.edgeLevel);
    else if (reply.startsWith("CWL"))
        storeLevel(reply, document_.whiteLevel);
    else if (reply.startsWith("SUS"))
        storePage(reply, 3, document_.startupPage);
    else if (reply.startsWith("CT"))
        storeTitle(reply);
    else if (reply.startsWith("P0"))
        storePage(reply, 1, document_.displayPage);
    else if (reply.startsWith("FBM"))
        storeGlyph(reply);
    else
        return false;
    return true;
}

// "AST" cc L, then 64 times of two digits.
void ReplyHandler::storeSwitchTimes(QByteArrayView reply) {
    const auto area = areaAt(reply, 3);
    if (!area || reply.size() < 6 + 2 * SettingsDocument::pageCount ||
        !allOf(reply.sliced(6, 2 * SettingsDocument::pageCount), isDigit))
        return;
    for (int page = 0; page < SettingsDocument::pageCount; ++page)
        document_.autoSwitchTimes[*area][page] = parseTwoDigits(reply.data() + 6 + 2 * page);
}

// "CTDPO" cc L, then the position 0 to 15.
void ReplyHandler::storeDisplayPosition(QByteArrayView reply) {
    const auto area = areaAt(reply, 5);
    const auto position = twoDigitsAt(reply, 8);
    if (area && position && *position <= 15)
        document_.displayPosition[*area] = *position;
}

// "CTD" cc L, then one letter per page: "N" shown, any other letter hidden.
void ReplyHandler::storeDisplayFlags(QByteArrayView reply) {
    const auto area = areaAt(reply, 3);
    if (!area || reply.size() < 6 + SettingsDocument::pageCount ||
        !allOf(reply.sliced(6, SettingsDocument::pageCount), isUpperLetter))
        return;
    for (int page = 0; page < SettingsDocument::pageCount; ++page)
        document_.titleDisplayOn[*area][page] = reply[6 + page] == 'N' ? 1 : 0;
}

// "CEL" or "CWL" and one digit.
void ReplyHandler::storeLevel(QByteArrayView reply, int& level) {
    if (reply.size() > 3 && isDigit(reply[3]))
        level = reply[3] - '0';
}

// "SUS" cc L or "P" cc L, then "A" (AUTO) or the page "01" to "64".
void ReplyHandler::storePage(QByteArrayView reply, qsizetype channelAt, std::array<int, 4>& pages) {
    const auto area = areaAt(reply, channelAt);
    const auto page = pageAt(reply, channelAt + 3);
    if (area && page)
        pages[*area] = *page;
}

// "CT" cc L pp, then 14 JIS codes of four upper-case hexadecimal digits.
void ReplyHandler::storeTitle(QByteArrayView reply) {
    constexpr qsizetype codesAt = 7;
    const auto area = areaAt(reply, 2);
    const auto page = pageAt(reply, 5);
    if (!area || !page || *page == SettingsDocument::autoPage ||
        reply.size() < codesAt + 4 * titleCodeCount ||
        !allOf(reply.sliced(codesAt, 4 * titleCodeCount), isUpperHexDigit))
        return;

    int codes[titleCodeCount];
    for (int i = 0; i < titleCodeCount; ++i) {
        const char* digits = reply.data() + codesAt + 4 * i;
        codes[i] = parseHexByte(digits) * 256 + parseHexByte(digits + 2);
        if (codes[i] > 0x7C7E)
            codes[i] = fullWidthSpaceJis;
    }
    int kept = titleCodeCount;
    while (kept > 0 && codes[kept - 1] == fullWidthSpaceJis)
        --kept;

    QByteArray title;
    for (int i = 0; i < kept; ++i) {
        const int sjis = jisToSjis(codes[i]);
        if (sjis == 0)
            break; // an invalid code ends the title, as its NUL bytes would
        title.append(char(sjis >> 8));
        title.append(char(sjis & 0xFF));
    }
    document_.titleTexts[SettingsDocument::titleIndex(*area, *page)].assign(title);

    if (*area == 3 && *page == SettingsDocument::pageCount - 1)
        boxes_.showDialogSuccess(QStringLiteral("Read ＯＫ"));
}

// "FBM", the glyph's code in four hexadecimal digits, then its 576 digits.
void ReplyHandler::storeGlyph(QByteArrayView reply) {
    constexpr qsizetype digitsAt = 7;
    if (reply.size() < digitsAt + AppState::glyphDigitCount ||
        !allOf(reply.sliced(3, 4), isUpperHexDigit) ||
        !allOf(reply.sliced(digitsAt, AppState::glyphDigitCount), isUpperHexDigit))
        return;
    std::copy_n(reply.data() + digitsAt, AppState::glyphDigitCount, state_.glyphSample.begin());
    emit glyphSampleChanged();
}
