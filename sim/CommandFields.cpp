#include "sim/CommandFields.h"

namespace sim::fields {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr char hexDigits[] = "0123456789ABCDEF";

} // namespace

int area(QByteArrayView text, qsizetype at) {
    if (text.size() < at + 3 || text[at] != '0')
        return -1;
    const char channel = text[at + 1];
    const char line = text[at + 2];
    if ((channel != '1' && channel != '2') || (line != 'T' && line != 'B'))
        return -1;
    return (channel - '1') * 2 + (line == 'B' ? 1 : 0);
}

int number(QByteArrayView text, qsizetype at, int width, int minimum, int maximum) {
    if (text.size() < at + width)
        return -1;
    int value = 0;
    for (int i = 0; i < width; ++i) {
        const char c = text[at + i];
        if (!isDigit(c))
            return -1;
        value = value * 10 + (c - '0');
    }
    return value >= minimum && value <= maximum ? value : -1;
}

int page(QByteArrayView text, qsizetype at) {
    const int pageNumber = number(text, at, 2, 1, 64);
    return pageNumber < 0 ? -1 : pageNumber - 1;
}

int pageOrAuto(QByteArrayView text, qsizetype at) {
    if (text.size() >= at + 2 && text[at] == 'A' && text[at + 1] == 'S')
        return 64;
    return page(text, at);
}

bool isUpperHex(QByteArrayView text) {
    for (char c : text) {
        if (!isDigit(c) && (c < 'A' || c > 'F'))
            return false;
    }
    return true;
}

int hexValue(QByteArrayView digits) {
    int value = 0;
    for (char c : digits)
        value = value * 16 + (isDigit(c) ? c - '0' : c - 'A' + 10);
    return value;
}

QByteArray areaCode(int area) {
    QByteArray code("01T");
    code[1] = area >= 2 ? '2' : '1';
    code[2] = area % 2 != 0 ? 'B' : 'T';
    return code;
}

QByteArray twoDigits(int value) {
    QByteArray digits(2, '0');
    digits[0] = char('0' + value / 10);
    digits[1] = char('0' + value % 10);
    return digits;
}

char hexDigit(int value) {
    return hexDigits[value & 0xF];
}

QByteArray fourHexDigits(int value) {
    QByteArray digits(4, '0');
    for (int i = 0; i < 4; ++i)
        digits[i] = hexDigit(value >> (12 - 4 * i));
    return digits;
}

} // namespace sim::fields
