#include "protocol/ReplyParsing.h"

#include "protocol/FieldEncoding.h"
#include "protocol/JisConversion.h"

#include <algorithm>

namespace {

constexpr int pageCount = SettingsDocument::pageCount;
constexpr int titleCodeCount = 14;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isUpperHexDigit(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'F');
}
bool isUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}

// The field of the given length at position at, when the reply is long enough and every
// character of it is accepted.
std::optional<QByteArrayView> fieldAt(QByteArrayView reply, qsizetype at, qsizetype length,
                                      bool (*accepted)(char)) {
    if (reply.size() < at + length)
        return std::nullopt;
    const QByteArrayView field = reply.sliced(at, length);
    if (!std::all_of(field.begin(), field.end(), accepted))
        return std::nullopt;
    return field;
}

// The DisplayArea of the channel digits and line letter at position at, or nothing when the
// channel is not "01" or "02".
std::optional<int> areaAt(QByteArrayView reply, qsizetype at) {
    if (reply.size() < at + 3 || reply[at] != '0' || (reply[at + 1] != '1' && reply[at + 1] != '2'))
        return std::nullopt;
    return areaFromCode(reply.data() + at, reply[at + 2]);
}

std::optional<int> twoDigitsAt(QByteArrayView reply, qsizetype at) {
    const auto digits = fieldAt(reply, at, 2, isDigit);
    if (!digits)
        return std::nullopt;
    return parseTwoDigits(digits->data());
}

// A page field: "A" for AUTO, otherwise "01" to "64" as the page index 0 to 63.
std::optional<int> pageAt(QByteArrayView reply, qsizetype at) {
    if (reply.size() > at && reply[at] == 'A')
        return SettingsDocument::autoPage;
    const auto number = twoDigitsAt(reply, at);
    if (!number || *number < 1 || *number > pageCount)
        return std::nullopt;
    return *number - 1;
}

// An area and a page: "SUS" cc L and "P" cc L, each followed by the page.
template <typename Record> std::optional<Record> pageRecordAt(QByteArrayView reply, qsizetype at) {
    const auto area = areaAt(reply, at);
    const auto page = pageAt(reply, at + 3);
    if (!area || !page)
        return std::nullopt;
    return Record{*area, *page};
}

// "CEL" or "CWL" and one digit.
template <typename Record> std::optional<Record> levelRecord(QByteArrayView reply) {
    const auto digit = fieldAt(reply, 3, 1, isDigit);
    if (!digit)
        return std::nullopt;
    return Record{(*digit)[0] - '0'};
}

template <typename Record> ReadBackRecord orNothing(const std::optional<Record>& record) {
    if (!record)
        return std::monostate{};
    return *record;
}

} // namespace

QByteArrayView withoutAddress(QByteArrayView line) {
    return line.size() >= 2 ? line.sliced(2) : QByteArrayView();
}

std::optional<SwitchTimesRecord> parseSwitchTimes(QByteArrayView reply) {
    const auto area = areaAt(reply, 3);
    const auto digits = fieldAt(reply, 6, 2 * pageCount, isDigit);
    if (!area || !digits)
        return std::nullopt;
    SwitchTimesRecord record{*area, {}};
    for (int page = 0; page < pageCount; ++page)
        record.times[std::size_t(page)] = parseTwoDigits(digits->data() + 2 * page);
    return record;
}

std::optional<DisplayPositionRecord> parseDisplayPosition(QByteArrayView reply) {
    const auto area = areaAt(reply, 5);
    const auto position = twoDigitsAt(reply, 8);
    if (!area || !position || *position > 15)
        return std::nullopt;
    return DisplayPositionRecord{*area, *position};
}

std::optional<DisplayFlagsRecord> parseDisplayFlags(QByteArrayView reply) {
    const auto area = areaAt(reply, 3);
    const auto letters = fieldAt(reply, 6, pageCount, isUpperLetter);
    if (!area || !letters)
        return std::nullopt;
    DisplayFlagsRecord record{*area, {}};
    for (int page = 0; page < pageCount; ++page)
        record.shown[std::size_t(page)] = (*letters)[page] == 'N' ? 1 : 0;
    return record;
}

std::optional<EdgeLevelRecord> parseEdgeLevel(QByteArrayView reply) {
    return levelRecord<EdgeLevelRecord>(reply);
}

std::optional<WhiteLevelRecord> parseWhiteLevel(QByteArrayView reply) {
    return levelRecord<WhiteLevelRecord>(reply);
}

std::optional<StartupPageRecord> parseStartupPage(QByteArrayView reply) {
    return pageRecordAt<StartupPageRecord>(reply, 3);
}

std::optional<DisplayPageRecord> parseDisplayPage(QByteArrayView reply) {
    return pageRecordAt<DisplayPageRecord>(reply, 1);
}

std::optional<TitleRecord> parseTitle(QByteArrayView reply) {
    const auto area = areaAt(reply, 2);
    const auto page = pageAt(reply, 5);
    const auto digits = fieldAt(reply, 7, 4 * titleCodeCount, isUpperHexDigit);
    if (!area || !page || *page == SettingsDocument::autoPage || !digits)
        return std::nullopt;

    int codes[titleCodeCount];
    for (int i = 0; i < titleCodeCount; ++i) {
        const char* code = digits->data() + 4 * i;
        codes[i] = parseHexByte(code) * 256 + parseHexByte(code + 2);
        if (codes[i] > 0x7C7E)
            codes[i] = fullWidthSpaceJis;
    }
    int kept = titleCodeCount;
    while (kept > 0 && codes[kept - 1] == fullWidthSpaceJis)
        --kept;

    TitleRecord record{*area, *page, {}};
    for (int i = 0; i < kept; ++i) {
        const int sjis = jisToSjis(codes[i]);
        if (sjis == 0)
            break; // an invalid code ends the title, as its NUL bytes would
        record.text.append(char(sjis >> 8));
        record.text.append(char(sjis & 0xFF));
    }
    return record;
}

std::optional<GlyphRecord> parseGlyph(QByteArrayView reply) {
    const auto code = fieldAt(reply, 3, 4, isUpperHexDigit);
    const auto digits = fieldAt(reply, 7, glyphDigitCount, isUpperHexDigit);
    if (!code || !digits)
        return std::nullopt;
    GlyphRecord record;
    std::copy_n(digits->data(), glyphDigitCount, record.digits.begin());
    return record;
}

ParsedReply parseReply(QByteArrayView reply, ReplyLink link) {
    const ReplyKind kind = classifyReply(reply, link);
    switch (kind) {
    case ReplyKind::SwitchTimes:
        return {kind, orNothing(parseSwitchTimes(reply))};
    case ReplyKind::DisplayPosition:
        return {kind, orNothing(parseDisplayPosition(reply))};
    case ReplyKind::DisplayFlags:
        return {kind, orNothing(parseDisplayFlags(reply))};
    case ReplyKind::EdgeLevel:
        return {kind, orNothing(parseEdgeLevel(reply))};
    case ReplyKind::WhiteLevel:
        return {kind, orNothing(parseWhiteLevel(reply))};
    case ReplyKind::StartupPage:
        return {kind, orNothing(parseStartupPage(reply))};
    case ReplyKind::Title:
        return {kind, orNothing(parseTitle(reply))};
    case ReplyKind::DisplayPage:
        return {kind, orNothing(parseDisplayPage(reply))};
    case ReplyKind::Glyph:
        return {kind, orNothing(parseGlyph(reply))};
    default:
        return {kind, std::monostate{}};
    }
}
