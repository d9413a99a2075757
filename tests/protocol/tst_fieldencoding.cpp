#include "protocol/FieldEncoding.h"

#include <QTest>

class FieldEncodingTest : public QObject {
    Q_OBJECT
private slots:
    // The trailing x shows that no terminator is written.
    void digits() {
        char field[] = "xxxx";
        twoDigits(7, field);
        QCOMPARE(QByteArray(field), "07xx");
        // Not validated: the settings file's host keys for entries 100 and up rely on this.
        twoDigits(100, field);
        QCOMPARE(QByteArray(field), ":0xx");
        threeDigits(255, field);
        QCOMPARE(QByteArray(field), "255x");
        threeDigits(10, field);
        QCOMPARE(QByteArray(field), "010x");
    }

    void parsing() {
        QCOMPARE(parseTwoDigits("64"), 64);
        QCOMPARE(int(parseHexByte("7E")), 0x7E);
        // Lower case is not hexadecimal to the device: 'a' counts as 97 - 55 = 42.
        QCOMPARE(int(parseHexByte("a0")), (42 * 16) & 0xFF);
        QCOMPARE(areaFromCode("02", 'X'), 2); // any letter but B is the top line
    }
};

QTEST_APPLESS_MAIN(FieldEncodingTest)
#include "tst_fieldencoding.moc"
