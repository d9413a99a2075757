#pragma once

#include <cstdint>

// The fixed-position fields of command and reply lines. Like the device's own format these
// helpers do no validation: callers keep to the ranges, and the settings file relies on
// twoDigits(100) writing ":0" for its host keys.

// Writes '0' + value / 10 and '0' + value % 10; no terminator.
void twoDigits(int value, char* destination);
// Writes the three digits of value; no terminator.
void threeDigits(int value, char* destination);
// (first - '0') * 10 + (second - '0').
int parseTwoDigits(const char* field);
// Two hexadecimal digits, upper case; a character above '9' counts as its code - 55.
std::uint8_t parseHexByte(const char* field);
// DisplayArea of a channel ("01", "02") and line letter ("B" bottom, anything else top).
int areaFromCode(const char* channel, char lineLetter);

// Channel and line characters of a DisplayArea, as the commands write them.
constexpr char channelDigit(int area) {
    return area >= 2 ? '2' : '1';
}
constexpr char lineLetter(int area) {
    return area % 2 != 0 ? 'B' : 'T';
}
