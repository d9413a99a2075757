#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The simulator's own reading and writing of the fixed-position fields of command and reply
// lines. Unlike the program's helpers these validate: a field outside its range reads as -1,
// which the device answers with "E3".
namespace sim::fields {

// Display area 0 to 3 of the three characters "01T", "01B", "02T" or "02B" at `at`; else -1.
int area(QByteArrayView text, qsizetype at);
// The `width` decimal digits at `at` as a number in [minimum, maximum]; else -1.
int number(QByteArrayView text, qsizetype at, int width, int minimum, int maximum);
// Page index 0 to 63 of the page number "01" to "64" at `at`; else -1.
int page(QByteArrayView text, qsizetype at);
// As page(), and 64 (automatic switching) for "AS".
int pageOrAuto(QByteArrayView text, qsizetype at);
// True when every character is one of "0" to "9" and "A" to "F".
bool isUpperHex(QByteArrayView text);
// Value of the upper-case hexadecimal digits (at most 4).
int hexValue(QByteArrayView digits);

// "01T", "01B", "02T" or "02B".
QByteArray areaCode(int area);
// Two decimal digits with a leading zero, 0 to 99.
QByteArray twoDigits(int value);
// The upper-case hexadecimal digit of 0 to 15.
char hexDigit(int value);
// Four upper-case hexadecimal digits, most significant first.
QByteArray fourHexDigits(int value);

} // namespace sim::fields
