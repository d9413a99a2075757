#include "glyphs/GlyphFile.h"

#include <QIODevice>
#include <algorithm>

namespace {
bool isWhiteSpace(char character) {
    return character == ' ' || (character >= '\t' && character <= '\r');
}
} // namespace

bool writeGlyphFile(QIODevice& file, const GlyphSample& sample) {
    QByteArray bytes;
    bytes.reserve(sample.size() * 3);
    for (const char byte : sample) {
        bytes.append(byte);
        bytes.append("\r\n");
    }
    return file.write(bytes) == bytes.size();
}

bool readGlyphFile(QIODevice& file, GlyphSample& sample) {
    GlyphSample read = sample;
    std::size_t count = 0;
    char character;
    while (count < read.size() && file.getChar(&character)) {
        if (count > 0 && isWhiteSpace(character))
            continue;
        read[count++] = character;
    }
    if (count < AppState::glyphDigitCount ||
        !std::all_of(read.begin(), read.begin() + AppState::glyphDigitCount,
                     GlyphBitmap::isDigitCharacter))
        return false;
    sample = read;
    return true;
}
