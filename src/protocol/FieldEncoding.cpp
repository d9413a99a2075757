#include "protocol/FieldEncoding.h"

namespace {
int hexDigitValue(char digit) {
    const int code = static_cast<unsigned char>(digit);
    return code > '9' ? code - 55 : code - 48;
}
} // namespace

void twoDigits(int value, char* destination) {
    destination[0] = char('0' + value / 10);
    destination[1] = char('0' + value % 10);
}

void threeDigits(int value, char* destination) {
    destination[0] = char('0' + value / 100);
    destination[1] = char('0' + value % 100 / 10);
    destination[2] = char('0' + value % 10);
}

int parseTwoDigits(const char* field) {
    return (field[0] - '0') * 10 + (field[1] - '0');
}

std::uint8_t parseHexByte(const char* field) {
    return std::uint8_t(hexDigitValue(field[0]) * 16 + hexDigitValue(field[1]));
}

int areaFromCode(const char* channel, char lineLetter) {
    return (parseTwoDigits(channel) - 1) * 2 + (lineLetter == 'B' ? 1 : 0);
}
