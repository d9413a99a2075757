#include "core/GlyphBitmap.h"

#include <algorithm>

namespace GlyphBitmap {

namespace {
constexpr int digitIndex(int column, int row) {
    return row * digitsPerRow + column / 4;
}
constexpr int dotMask(int column) {
    return 8 >> (column % 4);
}
} // namespace

int digitValue(char digit) {
    const int code = static_cast<unsigned char>(digit);
    return code > '9' ? code - 55 : code - 48;
}

char digitCharacter(int value) {
    return "0123456789ABCDEF"[value & 0xF];
}

bool isDigitCharacter(char digit) {
    return (digit >= '0' && digit <= '9') || (digit >= 'A' && digit <= 'F');
}

bool isDotSet(const GlyphSample& sample, int column, int row) {
    return (digitValue(sample[digitIndex(column, row)]) & dotMask(column)) != 0;
}

bool setDot(GlyphSample& sample, int column, int row, bool set) {
    char& digit = sample[digitIndex(column, row)];
    const int value = digitValue(digit);
    const char changed = digitCharacter(set ? value | dotMask(column) : value & ~dotMask(column));
    if (changed == digit)
        return false;
    digit = changed;
    return true;
}

void startNewGlyph(GlyphSample& sample) {
    std::fill_n(sample.begin(), glyphDigitCount, '0');
    sample[glyphDigitCount] = '\0';
}

} // namespace GlyphBitmap
