// The parsing of the device's replies. For any line:
// - a record exists only for a read-back kind, and holds only values the document can take;
// - the serial and the TCP link store the same document and glyph for the same bytes.

#include "FuzzCheck.h"
#include "protocol/ReadBackStore.h"
#include "protocol/ReplyParsing.h"

#include <cstddef>
#include <cstdint>

namespace {

bool within(int value, int low, int high) {
    return value >= low && value <= high;
}

bool pageWithin(int page) {
    return within(page, 0, SettingsDocument::pageCount - 1) || page == SettingsDocument::autoPage;
}

struct Stored {
    SettingsDocument document;
    GlyphSample glyph = GlyphBitmap::filledGlyphSample();
};

Stored stored(const ReadBackRecord& record) {
    Stored result;
    storeReadBack(record, result.document, result.glyph);
    return result;
}

bool same(const Stored& left, const Stored& right) {
    for (int index = 0; index < SettingsDocument::titleCount; ++index) {
        if (left.document.titleTexts[index].view() != right.document.titleTexts[index].view())
            return false;
    }
    const SettingsDocument& a = left.document;
    const SettingsDocument& b = right.document;
    return a.autoSwitchTimes == b.autoSwitchTimes && a.titleDisplayOn == b.titleDisplayOn &&
           a.displayPosition == b.displayPosition && a.startupPage == b.startupPage &&
           a.displayPage == b.displayPage && a.whiteLevel == b.whiteLevel &&
           a.edgeLevel == b.edgeLevel && left.glyph == right.glyph;
}

void checkRanges(const ReadBackRecord& record) {
    if (const auto* times = std::get_if<SwitchTimesRecord>(&record)) {
        fuzzRequire(within(times->area, 0, 3), "switch times: area");
        for (int time : times->times)
            fuzzRequire(within(time, 0, 99), "switch times: 0 to 99");
    } else if (const auto* position = std::get_if<DisplayPositionRecord>(&record)) {
        fuzzRequire(within(position->area, 0, 3) && within(position->position, 0, 15),
                    "position: 0 to 15");
    } else if (const auto* flags = std::get_if<DisplayFlagsRecord>(&record)) {
        fuzzRequire(within(flags->area, 0, 3), "display flags: area");
        for (int shown : flags->shown)
            fuzzRequire(within(shown, 0, 1), "display flags: 0 or 1");
    } else if (const auto* edge = std::get_if<EdgeLevelRecord>(&record)) {
        fuzzRequire(within(edge->level, 0, 9), "edge level: one digit");
    } else if (const auto* white = std::get_if<WhiteLevelRecord>(&record)) {
        fuzzRequire(within(white->level, 0, 9), "white level: one digit");
    } else if (const auto* startup = std::get_if<StartupPageRecord>(&record)) {
        fuzzRequire(within(startup->area, 0, 3) && pageWithin(startup->page),
                    "startup page: range");
    } else if (const auto* display = std::get_if<DisplayPageRecord>(&record)) {
        fuzzRequire(within(display->area, 0, 3) && pageWithin(display->page),
                    "display page: range");
    } else if (const auto* title = std::get_if<TitleRecord>(&record)) {
        fuzzRequire(within(title->area, 0, 3) &&
                        within(title->page, 0, SettingsDocument::pageCount - 1),
                    "title: area and page");
        fuzzRequire(title->text.size() <= 28 && title->text.size() % 2 == 0,
                    "title: at most 14 whole characters");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView line(reinterpret_cast<const char*>(data), qsizetype(size));
    const ParsedReply serial = parseReply(line, ReplyLink::Serial);
    const ParsedReply tcp = parseReply(line, ReplyLink::Tcp);
    checkRanges(serial.record);
    checkRanges(tcp.record);
    fuzzRequire(same(stored(serial.record), stored(tcp.record)),
                "serial and TCP store the same for the same bytes");
    // Over RS-485 the answering device's address comes first and is dropped unread.
    checkRanges(parseReply(withoutAddress(line), ReplyLink::Serial).record);
    return 0;
}
