#include "protocol/JisConversion.h"

#include <QTest>
#include <vector>

namespace {

bool inRange(int value, int low, int high) {
    return value >= low && value <= high;
}

bool validTrailByte(int trail) {
    return inRange(trail, 0x40, 0x7E) || inRange(trail, 0x80, 0xFC);
}

// The acceptance table of title characters, written from the table itself.
enum class Expected { Refused, Arithmetic, IbmSpecial, IbmExtension };

Expected expectedFor(int code) {
    const int lead = code >> 8;
    const int trail = code & 0xFF;
    if ((inRange(lead, 0x81, 0x9F) || inRange(lead, 0xE0, 0xEF)) && validTrailByte(trail))
        return Expected::Arithmetic;
    if (inRange(code, 0xFA40, 0xFA49) || inRange(code, 0xFA55, 0xFA57))
        return Expected::IbmSpecial;
    if (inRange(code, 0xFA5C, 0xFC4B) && validTrailByte(trail))
        return Expected::IbmExtension;
    return Expected::Refused;
}

} // namespace

class JisConversionTest : public QObject {
    Q_OBJECT
private slots:
    void titleCharacters_data() {
        QTest::addColumn<int>("sjis");
        QTest::addColumn<int>("jis"); // 0: refused
        QTest::newRow("full-width space") << 0x8140 << 0x2121;
        QTest::newRow("Ａ") << 0x8260 << 0x2341;
        QTest::newRow("漢") << 0x8ABF << 0x3441;
        QTest::newRow("あ") << 0x82A0 << 0x2422;
        QTest::newRow("row 0x2D") << 0x8754 << 0x2D35;
        QTest::newRow("last of lead 0xEF") << 0xEFFC << 0x7E7E;
        QTest::newRow("ⅰ IBM") << 0xFA40 << 0x7C71;
        QTest::newRow("ⅰ NEC-selected") << 0xEEEF << 0x7C71;
        QTest::newRow("ⅹ IBM") << 0xFA49 << 0x7C7A;
        QTest::newRow("￢ IBM") << 0xFA55 << 0x7C7C;
        QTest::newRow("＂ IBM") << 0xFA57 << 0x7C7E;
        QTest::newRow("first IBM kanji") << 0xFA5C << 0x7921;
        QTest::newRow("last IBM kanji") << 0xFC4B << 0x7C6E;
        QTest::newRow("0xFA4A") << 0xFA4A << 0;
        QTest::newRow("0xFA5B") << 0xFA5B << 0;
        QTest::newRow("user-defined 0xF040") << 0xF040 << 0;
        QTest::newRow("user-defined 0xF9FC") << 0xF9FC << 0;
        QTest::newRow("0xFC4C") << 0xFC4C << 0;
        QTest::newRow("ASCII pair AB") << 0x4142 << 0;
        QTest::newRow("half-width katakana pair") << 0xB1B2 << 0;
        QTest::newRow("bad trail byte 0x817F") << 0x817F << 0;
    }

    void titleCharacters() {
        QFETCH(int, sjis);
        QFETCH(int, jis);
        QCOMPARE(titleCharacterToJis(sjis), jis);
    }

    void wholeCodeRangeFollowsTheAcceptanceTable() {
        std::vector<int> firstCodeOfJis(0x10000, -1);
        for (int code = 0; code <= 0xFFFF; ++code) {
            const int jis = titleCharacterToJis(code);
            const int row = jis >> 8;
            const QByteArray what = QString::asprintf("0x%04X gave 0x%04X", code, jis).toLatin1();
            switch (expectedFor(code)) {
            case Expected::Refused:
                QVERIFY2(jis == 0, what);
                break;
            case Expected::Arithmetic:
                QVERIFY2(inRange(row, 0x21, 0x7E) && inRange(jis & 0xFF, 0x21, 0x7E), what);
                // The arithmetic conversion never gives two characters the same code.
                QVERIFY2(firstCodeOfJis[jis] == -1, what + ", as did an earlier code");
                firstCodeOfJis[jis] = code;
                break;
            case Expected::IbmSpecial:
                QVERIFY2(inRange(jis, 0x7C71, 0x7C7A) || inRange(jis, 0x7C7C, 0x7C7E), what);
                break;
            case Expected::IbmExtension:
                QVERIFY2(inRange(row, 0x79, 0x7C) && inRange(jis & 0xFF, 0x21, 0x7E), what);
                // The IBM code and its NEC-selected twin are the same character.
                QVERIFY2(jis == titleCharacterToJis(ibmToNecSelected(code)), what);
                break;
            }
        }
    }

    void acceptedCodesConvertBack() {
        int checked = 0;
        for (int code = 0x8100; code <= 0xEFFF; ++code) {
            const int jis = titleCharacterToJis(code);
            if (expectedFor(code) != Expected::Arithmetic || jis > 0x7C7E)
                continue;
            QCOMPARE(jisToSjis(jis), code);
            ++checked;
        }
        QVERIFY(checked > 8000);
    }

    void readBackConversion_data() {
        QTest::addColumn<int>("jis");
        QTest::addColumn<int>("sjis");
        QTest::newRow("full-width space") << 0x2121 << 0x8140;
        QTest::newRow("漢") << 0x3441 << 0x8ABF;
        QTest::newRow("last kept code") << 0x7C7E << 0xEEFC;
        QTest::newRow("above 0x7C7E is a space") << 0x7C7F << 0x8140;
        QTest::newRow("row 0x7E is a space") << 0x7E7E << 0x8140;
        QTest::newRow("low byte 0x7F") << 0x217F << 0;
        QTest::newRow("low byte 0x20") << 0x2120 << 0;
        QTest::newRow("high byte 0x20") << 0x2021 << 0;
        QTest::newRow("zero") << 0 << 0;
    }

    void readBackConversion() {
        QFETCH(int, jis);
        QFETCH(int, sjis);
        QCOMPARE(jisToSjis(jis), sjis);
    }
};

QTEST_APPLESS_MAIN(JisConversionTest)
#include "tst_jisconversion.moc"
