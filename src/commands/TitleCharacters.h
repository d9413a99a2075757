#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

// Which title characters the device takes. Titles travel as 14 double-byte characters, each
// as its JIS X 0208 code; the box, the page list and the title line all ask here, so that what
// the operator sees marked is exactly what sending refuses.

// A title fills at most this many Shift-JIS bytes (14 full-width characters).
constexpr int titleByteLimit = 28;

enum class CharacterRefusal {
    HalfWidth,           // a single-byte character: ASCII or half-width katakana
    UserDefinedArea,     // lead byte 0xF0 to 0xF9, characters that only this PC knows
    OutsideAcceptedRows, // a double-byte code with no JIS code the device takes
    Incomplete,          // a lead byte without its second byte (only a damaged file holds one)
};

struct RefusedCharacter {
    int position = 0; // the character's place in the title, from 0
    QByteArray bytes; // its Shift-JIS bytes
    CharacterRefusal reason = CharacterRefusal::HalfWidth;
};

// Every character of the title that cannot be sent, in order.
QList<RefusedCharacter> refusedCharacters(QByteArrayView title);

// For the operator: which character, where, and why, e.g. "3文字目「ｱ」(B1): 半角文字は送れません".
QString describeRefusal(const RefusedCharacter& refused);

// Why the title cannot be sent (its first refused character, or its length), or nothing when it
// can.
std::optional<QString> titleProblem(QByteArrayView title);
