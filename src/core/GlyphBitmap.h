#pragma once

#include <array>

// A custom glyph of 48 x 48 dots held as text: 576 hexadecimal digits, 12 per dot row from the
// top, the most significant bit of a digit being its leftmost dot; then four bytes that carry
// no meaning but travel with the glyph into and out of glyph files.
constexpr int glyphSampleSize = 580;
constexpr int glyphDigitCount = 576;
using GlyphSample = std::array<char, glyphSampleSize>;

namespace GlyphBitmap {

constexpr int dotCount = 48; // columns and rows
constexpr int digitsPerRow = 12;

// The value of a digit character: code - 55 above "9", code - 48 otherwise.
int digitValue(char digit);
// "0" to "9" and "A" to "F" for 0 to 15.
char digitCharacter(int value);
bool isDigitCharacter(char digit);

bool isDotSet(const GlyphSample& sample, int column, int row);
// Sets or clears the dot; true when its digit changed.
bool setDot(GlyphSample& sample, int column, int row, bool set);

// A glyph of "0" digits only, four of them where the trailing bytes go.
constexpr GlyphSample filledGlyphSample() {
    GlyphSample sample{};
    sample.fill('0');
    return sample;
}

// A new glyph: 576 "0" digits and a NUL in the byte after them; the last three bytes are kept.
void startNewGlyph(GlyphSample& sample);

} // namespace GlyphBitmap
