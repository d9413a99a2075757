#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace sim {

class DeviceModel;

// What the device keys in one of the fourteen character cells of a title: a character of
// JIS X 0208, or a registered glyph with the 576 digits of its 48 x 48 dots.
struct TitleCell {
    enum class Kind { Character, Glyph };

    Kind kind = Kind::Character;
    QString character;   // Character: the one character, in Unicode
    int glyphNumber = 0; // Glyph: registration number 1 to 28
    QByteArray glyphDots;

    bool operator==(const TitleCell&) const = default;

    // The full-width space: an empty cell.
    static TitleCell blank();
};

// The cell the device shows for the JIS code `code` of a title: a registered glyph where the
// code is one of the glyph codes, otherwise the character, or the geta mark "〓" (the usual
// stand-in) for a code that names no character.
TitleCell titleCell(quint16 code, const DeviceModel& model);

// The Unicode character of a JIS X 0208 code (row and cell 0x21 to 0x7E, with the NEC rows
// of code page 932), or an empty string where there is none.
QString jisCharacter(quint16 code);

} // namespace sim
