#pragma once

#include <QByteArray>
#include <QString>
#include <array>

namespace onair {

// One of the fourteen full-width cells of a title line: a character, drawn in a CJK font, or a
// registered glyph, drawn from its 48 x 48 dots.
struct Cell {
    QString character; // the character in Unicode, drawn when there are no dots
    QByteArray dots;   // 576 hexadecimal digits, 12 a row from the top; empty: a character

    bool operator==(const Cell&) const = default;

    // The full-width space: nothing is drawn.
    static Cell blank() { return {QStringLiteral("　"), {}}; }
};

// A title line as the device keys it in one display area.
struct TitleLine {
    static constexpr int cellCount = 14;
    static constexpr int middlePosition = 7;

    bool shown = false;            // the area shows a title at all
    int position = middlePosition; // display position 0 to 15, moved sideways
    int whiteLevel = 1;            // 0 to 3: how bright the characters are
    int edgeLevel = 1;             // 0 to 3: how thick their outline is
    std::array<Cell, cellCount> cells{};

    bool operator==(const TitleLine&) const = default;
};

} // namespace onair
