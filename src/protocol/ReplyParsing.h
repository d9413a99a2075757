#pragma once

#include "core/GlyphBitmap.h"
#include "core/SettingsDocument.h"
#include "protocol/ReplyTable.h"

#include <QByteArray>
#include <QByteArrayView>
#include <array>
#include <optional>
#include <variant>

// What a reply line from the device says, worked out from its text alone: no state, no boxes,
// nothing written. A reply is never matched to the command that was sent; it is recognised by
// its first characters.
//
// Replies are untrusted input. A read-back record exists only when every field of its layout is
// present and well formed (decimal digits where digits belong, upper-case hexadecimal where codes
// belong, channel "01" or "02", pages "01" to "64" or AUTO), so a record holds only values the
// document can take: area 0 to 3, page 0 to 63 or autoPage, times 0 to 99, position 0 to 15,
// levels 0 to 9, titles of at most 28 bytes of whole Shift-JIS characters.

struct SwitchTimesRecord {
    int area = 0;
    std::array<int, SettingsDocument::pageCount> times{};
};
struct DisplayPositionRecord {
    int area = 0;
    int position = 0;
};
struct DisplayFlagsRecord {
    int area = 0;
    std::array<int, SettingsDocument::pageCount> shown{}; // 1 for "N", 0 for any other letter
};
struct EdgeLevelRecord {
    int level = 0;
};
struct WhiteLevelRecord {
    int level = 0;
};
struct StartupPageRecord {
    int area = 0;
    int page = 0; // page index, or SettingsDocument::autoPage
};
struct DisplayPageRecord {
    int area = 0;
    int page = 0; // page index, or SettingsDocument::autoPage
};
struct TitleRecord {
    int area = 0;
    int page = 0;
    QByteArray text; // Shift-JIS
};
struct GlyphRecord {
    std::array<char, glyphDigitCount> digits{};
};

// The record of a read-back reply; monostate for every other reply and for a malformed one.
using ReadBackRecord = std::variant<std::monostate, SwitchTimesRecord, DisplayPositionRecord,
                                    DisplayFlagsRecord, EdgeLevelRecord, WhiteLevelRecord,
                                    StartupPageRecord, TitleRecord, DisplayPageRecord, GlyphRecord>;

struct ParsedReply {
    ReplyKind kind = ReplyKind::Unknown;
    ReadBackRecord record;
};

// The reply of an RS-485 line: the line without its first two characters, the answering
// device's address; empty when the line is shorter.
QByteArrayView withoutAddress(QByteArrayView line);

// The layouts of the read-back replies (cc the channel, L the line letter, pp a page):
std::optional<SwitchTimesRecord> parseSwitchTimes(QByteArrayView reply); // AST cc L, 64 × 2 digits
std::optional<DisplayPositionRecord> parseDisplayPosition(QByteArrayView reply); // CTDPO cc L nn
std::optional<DisplayFlagsRecord> parseDisplayFlags(QByteArrayView reply); // CTD cc L, 64 letters
std::optional<EdgeLevelRecord> parseEdgeLevel(QByteArrayView reply);       // CEL d
std::optional<WhiteLevelRecord> parseWhiteLevel(QByteArrayView reply);     // CWL d
std::optional<StartupPageRecord> parseStartupPage(QByteArrayView reply);   // SUS cc L, A or pp
std::optional<DisplayPageRecord> parseDisplayPage(QByteArrayView reply);   // P cc L, A or pp
std::optional<TitleRecord> parseTitle(QByteArrayView reply); // CT cc L pp, 14 × 4 hex digits
std::optional<GlyphRecord> parseGlyph(QByteArrayView reply); // FBM, 4 hex digits, 576 hex digits

// A reply in, what it says out: its kind and, for a well-formed read-back, its record.
ParsedReply parseReply(QByteArrayView reply, ReplyLink link);
