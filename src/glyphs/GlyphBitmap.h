#pragma once

#include "core/AppState.h"

#include <QPoint>
#include <array>
#include <optional>

// A custom glyph of 48 x 48 dots held as text: 576 hexadecimal digits, 12 per dot row from the
// top, the most significant bit of a digit being its leftmost dot; then four bytes that carry
// no meaning but travel with the glyph into and out of glyph files.
using GlyphSample = std::array<char, AppState::glyphSampleSize>;

namespace GlyphBitmap {

constexpr int dotCount = 48; // columns and rows
constexpr int digitsPerRow = 12;
// The grid's cells in pixels, and the grid itself at the origin of the editor.
constexpr int cellWidth = 10;
constexpr int cellHeight = 8;
constexpr int gridWidth = dotCount * cellWidth;
constexpr int gridHeight = dotCount * cellHeight;

// The value of a digit character: code - 55 above "9", code - 48 otherwise.
int digitValue(char digit);
// "0" to "9" and "A" to "F" for 0 to 15.
char digitCharacter(int value);
bool isDigitCharacter(char digit);

bool isDotSet(const GlyphSample& sample, int column, int row);
// Sets or clears the dot; true when its digit changed.
bool setDot(GlyphSample& sample, int column, int row, bool set);

// The dot (column, row) under a point of the grid, when the mouse may change it: the outermost
// ring of dots is left alone, so that only columns and rows 1 to 46 answer.
std::optional<QPoint> editableDotAt(QPoint point);

// A new glyph: 576 "0" digits and a NUL in the byte after them; the last three bytes are kept.
void startNewGlyph(GlyphSample& sample);

} // namespace GlyphBitmap
