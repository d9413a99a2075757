#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// Conversion between the widgets' Unicode text and the Shift-JIS (code page 932) bytes in which
// titles are kept. Characters that Japanese input methods on Linux produce under another code
// point than code page 932 uses (the wave dash, the minus sign and the like) are mapped to the
// code page's own forms first; a character that still does not encode is reported, never
// replaced by another one.
namespace ShiftJisText {

// True when the Qt build can convert code page 932 (it needs ICU).
bool isAvailable();

// The bytes of text, or nothing when a character has no code page 932 form.
std::optional<QByteArray> encode(const QString& text);

// The text of bytes; a byte sequence that is not code page 932 becomes U+FFFD, which does not
// encode again, so a damaged title is never silently turned into a different one.
QString decode(QByteArrayView bytes);

// The number of Shift-JIS bytes that text takes, or nothing when it does not encode.
std::optional<qsizetype> byteLength(const QString& text);

// True when byte is the first byte of a double-byte character.
bool isLeadByte(unsigned char byte);

// The longest length, at most maxBytes, at which bytes can be cut without splitting a
// double-byte character.
qsizetype characterBoundary(QByteArrayView bytes, qsizetype maxBytes);

} // namespace ShiftJisText
