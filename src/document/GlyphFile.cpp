#include "document/GlyphFile.h"

#include <QIODevice>
#include <QString>

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

bool readGlyphFile(QIODevice& file, GlyphSample& sample, QString* reason) {
    GlyphSample read = sample;
    std::size_t count = 0;
    int line = 1;
    QString why;
    char character;
    while (count < read.size() && file.getChar(&character)) {
        if (count > 0 && isWhiteSpace(character)) {
            line += character == '\n';
            continue;
        }
        if (count < glyphDigitCount && !GlyphBitmap::isDigitCharacter(character)) {
            why = QStringLiteral("%1 行目: %2 桁目には 16 進数字 (0-9, A-F) が必要ですが、"
                                 "文字コード 0x%3 の文字があります。")
                      .arg(line)
                      .arg(count + 1)
                      .arg(uchar(character), 2, 16, QLatin1Char('0'));
            break;
        }
        read[count++] = character;
    }
    if (why.isEmpty() && count < glyphDigitCount)
        why = QStringLiteral("%1 桁で終わっています。外字には 576 桁の 16 進数字が必要です。")
                  .arg(count);
    if (!why.isEmpty()) {
        if (reason)
            *reason = why;
        return false;
    }
    sample = read;
    return true;
}
