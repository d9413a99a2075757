#include "protocol/FieldEncoding.h"

#include <QTest>

class FieldEncodingTest : public QObject {
    Q_OBJECT
private slots:
    void twoDigits_data();
    void twoDigits();
    void threeDigits_data();
    void threeDigits();
    void parseTwoDigits_data();
    void parseTwoDigits();
    void parseHexByte_data();
    void parseHexByte();
    void areaFromCode_data();
    void areaFromCode();
    void areaCharacters();
};

void FieldEncodingTest::twoDigits_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("0") << 0 << QByteArray("00");
    QTest::newRow("7") << 7 << QByteArray("07");
    QTest::newRow("64") << 64 << QByteArray("64");
    QTest::newRow("99") << 99 << QByteArray("99");
    // Not validated: the settings file's host keys for entries 100 and up rely on this.
    QTest::newRow("100") << 100 << QByteArray(":0");
    QTest::newRow("119") << 119 << QByteArray(";9");
    QTest::newRow("255") << 255 << QByteArray("I5");
}

void FieldEncodingTest::twoDigits() {
    QFETCH(int, value);
    QFETCH(QByteArray, expected);
    char field[3] = {'x', 'x', 'x'};
    ::twoDigits(value, field);
    QCOMPARE(QByteArray(field, 2), expected);
    QCOMPARE(field[2], 'x'); // no terminator written
}

void FieldEncodingTest::threeDigits_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("0") << 0 << QByteArray("000");
    QTest::newRow("1") << 1 << QByteArray("001");
    QTest::newRow("10") << 10 << QByteArray("010");
    QTest::newRow("168") << 168 << QByteArray("168");
    QTest::newRow("255") << 255 << QByteArray("255");
}

void FieldEncodingTest::threeDigits() {
    QFETCH(int, value);
    QFETCH(QByteArray, expected);
    char field[4] = {'x', 'x', 'x', 'x'};
    ::threeDigits(value, field);
    QCOMPARE(QByteArray(field, 3), expected);
    QCOMPARE(field[3], 'x');
}

void FieldEncodingTest::parseTwoDigits_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("expected");
    QTest::newRow("07") << QByteArray("07") << 7;
    QTest::newRow("64") << QByteArray("64") << 64;
    QTest::newRow("00") << QByteArray("00") << 0;
    // Meaningless but defined: callers test for "A" before they parse a page.
    QTest::newRow("AS") << QByteArray("AS") << ('A' - '0') * 10 + ('S' - '0');
}

void FieldEncodingTest::parseTwoDigits() {
    QFETCH(QByteArray, field);
    QFETCH(int, expected);
    QCOMPARE(::parseTwoDigits(field.constData()), expected);
}

void FieldEncodingTest::parseHexByte_data() {
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<int>("expected");
    QTest::newRow("7E") << QByteArray("7E") << 126;
    QTest::newRow("21") << QByteArray("21") << 33;
    QTest::newRow("FF") << QByteArray("FF") << 255;
    QTest::newRow("00") << QByteArray("00") << 0;
    // Lower case is not hexadecimal to the device: 'a' counts as 97 - 55 = 42.
    QTest::newRow("lower a0") << QByteArray("a0") << ((42 * 16) & 0xFF);
}

void FieldEncodingTest::parseHexByte() {
    QFETCH(QByteArray, field);
    QFETCH(int, expected);
    QCOMPARE(int(::parseHexByte(field.constData())), expected);
}

void FieldEncodingTest::areaFromCode_data() {
    QTest::addColumn<QByteArray>("channel");
    QTest::addColumn<char>("letter");
    QTest::addColumn<int>("expected");
    QTest::newRow("01T") << QByteArray("01") << 'T' << 0;
    QTest::newRow("01B") << QByteArray("01") << 'B' << 1;
    QTest::newRow("02T") << QByteArray("02") << 'T' << 2;
    QTest::newRow("02B") << QByteArray("02") << 'B' << 3;
    QTest::newRow("02 other letter is top") << QByteArray("02") << 'X' << 2;
}

void FieldEncodingTest::areaFromCode() {
    QFETCH(QByteArray, channel);
    QFETCH(char, letter);
    QFETCH(int, expected);
    QCOMPARE(::areaFromCode(channel.constData(), letter), expected);
}

void FieldEncodingTest::areaCharacters() {
    const char channels[] = {'1', '1', '2', '2'};
    const char lines[] = {'T', 'B', 'T', 'B'};
    for (int area = 0; area < 4; ++area) {
        QCOMPARE(channelDigit(area), channels[area]);
        QCOMPARE(lineLetter(area), lines[area]);
        const char channel[] = {'0', channelDigit(area)};
        QCOMPARE(::areaFromCode(channel, lineLetter(area)), area);
    }
}

QTEST_APPLESS_MAIN(FieldEncodingTest)
#include "tst_fieldencoding.moc"
