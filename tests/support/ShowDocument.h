#pragma once

#include "core/SettingsDocument.h"
#include "protocol/JisConversion.h"

#include <QByteArray>

// Every field away from its start value. Titles of up to fourteen kanji, some empty, and in
// every area one of NEC special characters, IBM extensions in their NEC-selected codes, a
// full-width space inside and the last code of level 2; none ends in a space, so that what is
// read back is the same file. The levels last read back differ from the ones chosen in the level
// dialog.
inline void fillAwayFromDefaults(SettingsDocument& document) {
    for (int index = 0; index < SettingsDocument::titleCount; ++index) {
        const int area = index / SettingsDocument::pageCount;
        const int page = index % SettingsDocument::pageCount;
        document.titleDisplayOn[area][page] = index % 3 != 0;
        document.autoSwitchTimes[area][page] = (index * 7 + 3) % 100;
        for (int at = 0; at <= index % 14 && index % 37 != 0; ++at) {
            const int jis = (0x30 + (index + at) % 0x20) * 256 + 0x21 + (index * 7 + at) % 94;
            document.titleTexts[index].append(char(jisToSjis(jis) >> 8));
            document.titleTexts[index].append(char(jisToSjis(jis) & 0xFF));
        }
    }
    for (int area = 0; area < SettingsDocument::areaCount; ++area)
        document.titleTexts[SettingsDocument::titleIndex(area, 1 + area * 20)].assign(
            QByteArray::fromHex("8754879Ced408140EEEFEEFCEAA4") + char(0x82) + char(0x60 + area));
    document.titleTexts[SettingsDocument::titleCount - 1].assign(
        QByteArray::fromHex("88A0").repeated(14));
    document.startupPage = {64, 12, 63, 1};
    document.displayPage = {5, 64, 33, 63};
    document.displayPosition = {0, 15, 3, 12};
    document.whiteLevel = 2;
    document.edgeLevel = 2;
    document.selectedWhiteLevel = 3;
    document.selectedEdgeLevel = 0;
}
