#include "protocol/FieldEncoding.h"

#include <QTest>

class FieldEncodingTest : public QObject {
    Q_OBJECT
private slots:
    // The trailing x shows that no terminator is written.
    void digits() {
        const auto two = [](int value) {
            char field[] = "xxx";
            twoDigits(value, field);
            return QByteArray(field);
        };
        QCOMPARE(two(0), "00x");
        QCOMPARE(two(7), "07x");
        QCOMPARE(two(99), "99x");
        // Not validated: the settings file's host keys for entries 100 and up rely on this.
        QCOMPARE(two(100), ":0x");
        QCOMPARE(two(119), ";9x");
        const auto three = [](int value) {
            char field[] = "xxxx";
            threeDigits(value, field);
            return QByteArray(field);
        };
        QCOMPARE(three(1), "001x");
        QCOMPARE(three(10), "010x");
        QCOMPARE(three(255), "255x");
    }

    void parsing() {
        QCOMPARE(parseTwoDigits("07"), 7);
        QCOMPARE(parseTwoDigits("64"), 64);
        // Meaningless but defined: callers test for "A" before they parse a page.
        QCOMPARE(parseTwoDigits("AS"), ('A' - '0') * 10 + ('S' - '0'));
        QCOMPARE(int(parseHexByte("7E")), 0x7E);
        QCOMPARE(int(parseHexByte("21")), 0x21);
        QCOMPARE(int(parseHexByte("FF")), 0xFF);
        // Lower case is not hexadecimal to the device: 'a' counts as 97 - 55 = 42.
        QCOMPARE(int(parseHexByte("a0")), (42 * 16) & 0xFF);
        QCOMPARE(areaFromCode("02", 'X'), 2); // any letter but B is the top line
        for (int area = 0; area < 4; ++area) {
            const char channel[] = {'0', channelDigit(area)};
            QCOMPARE(QByteArray(channel, 2) + lineLetter(area),
                     QByteArray("01T01B02T02B").mid(area * 3, 3));
            QCOMPARE(areaFromCode(channel, lineLetter(area)), area);
        }
    }
};

QTEST_APPLESS_MAIN(FieldEncodingTest)
#include "tst_fieldencoding.moc"
