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
    void knownCharacters_data();
    void knownCharacters();
    void refusedCharacters_data();
    void refusedCharacters();
    void wholeCodeRangeFollowsTheAcceptanceTable();
    void acceptedCodesConvertBack();
    void readBackConversion_data();
    void readBackConversion();
};

void JisConversionTest::knownCharacters_data() {
    QTest::addColumn<int>("sjis");
    QTest::addColumn<int>("jis");
    QTest::newRow("full-width space") << 0x8140 << 0x2121;
    QTest::newRow("Ａ") << 0x8260 << 0x2341;
    QTest::newRow("Ｂ") << 0x8261 << 0x2342;
    QTest::newRow("漢") << 0x8ABF << 0x3441;
    QTest::newRow("字") << 0x8E9A << 0x3B7A;
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
}

void JisConversionTest::knownCharacters() {
    QFETCH(int, sjis);
    QFETCH(int, jis);
    QCOMPARE(titleCharacterToJis(sjis), jis);
}

void JisConversionTest::refusedCharacters_data() {
    QTest::addColumn<int>("sjis");
    QTest::newRow("0xFA4A") << 0xFA4A;
    QTest::newRow("0xFA54") << 0xFA54;
    QTest::newRow("0xFA58") << 0xFA58;
    QTest::newRow("0xFA5B") << 0xFA5B;
    QTest::newRow("user-defined 0xF040") << 0xF040;
    QTest::newRow("user-defined 0xF9FC") << 0xF9FC;
    QTest::newRow("0xFC4C") << 0xFC4C;
    QTest::newRow("ASCII pair AB") << 0x4142;
    QTest::newRow("half-width katakana pair") << 0xB1B2;
    QTest::newRow("bad trail byte 0x817F") << 0x817F;
}

void JisConversionTest::refusedCharacters() {
    QFETCH(int, sjis);
    QCOMPARE(titleCharacterToJis(sjis), 0);
}

void JisConversionTest::wholeCodeRangeFollowsTheAcceptanceTable() {
    std::vector<int> firstCodeOfJis(0x10000, -1);
    for (int code = 0; code <= 0xFFFF; ++code) {
        const int jis = titleCharacterToJis(code);
        const int row = jis >> 8;
        switch (expectedFor(code)) {
        case Expected::Refused:
            if (jis != 0)
                QFAIL(qPrintable(QString::asprintf("0x%04X accepted as 0x%04X", code, jis)));
            break;
        case Expected::Arithmetic:
            if (!inRange(row, 0x21, 0x7E) || !inRange(jis & 0xFF, 0x21, 0x7E))
                QFAIL(qPrintable(QString::asprintf("0x%04X gave 0x%04X", code, jis)));
            // The arithmetic conversion never gives two characters the same code.
            if (firstCodeOfJis[jis] != -1)
                QFAIL(qPrintable(QString::asprintf("0x%04X and 0x%04X both give 0x%04X",
                                                   firstCodeOfJis[jis], code, jis)));
            firstCodeOfJis[jis] = code;
            break;
        case Expected::IbmSpecial:
            if (!inRange(jis, 0x7C71, 0x7C7A) && !inRange(jis, 0x7C7C, 0x7C7E))
                QFAIL(qPrintable(QString::asprintf("0x%04X gave 0x%04X", code, jis)));
            break;
        case Expected::IbmExtension:
            if (!inRange(row, 0x79, 0x7C) || !inRange(jis & 0xFF, 0x21, 0x7E))
                QFAIL(qPrintable(QString::asprintf("0x%04X gave 0x%04X", code, jis)));
            // The IBM code and its NEC-selected twin are the same character.
            if (jis != titleCharacterToJis(ibmToNecSelected(code)))
                QFAIL(qPrintable(QString::asprintf("0x%04X differs from its twin", code)));
            break;
        }
    }
}

void JisConversionTest::acceptedCodesConvertBack() {
    int checked = 0;
    for (int code = 0x8100; code <= 0xEFFF; ++code) {
        if (expectedFor(code) != Expected::Arithmetic)
            continue;
        const int jis = titleCharacterToJis(code);
        if (jis > 0x7C7E)
            continue;
        if (jisToSjis(jis) != code)
            QFAIL(qPrintable(
                QString::asprintf("0x%04X -> 0x%04X -> 0x%04X", code, jis, jisToSjis(jis))));
        ++checked;
    }
    QVERIFY(checked > 8000);
}

void JisConversionTest::readBackConversion_data() {
    QTest::addColumn<int>("jis");
    QTest::addColumn<int>("sjis");
    QTest::newRow("full-width space") << 0x2121 << 0x8140;
    QTest::newRow("あ") << 0x2422 << 0x82A0;
    QTest::newRow("漢") << 0x3441 << 0x8ABF;
    QTest::newRow("last kept code") << 0x7C7E << 0xEEFC;
    QTest::newRow("above 0x7C7E is a space") << 0x7C7F << 0x8140;
    QTest::newRow("row 0x7E is a space") << 0x7E7E << 0x8140;
    QTest::newRow("low byte 0x7F") << 0x217F << 0;
    QTest::newRow("low byte 0x20") << 0x2120 << 0;
    QTest::newRow("high byte 0x20") << 0x2021 << 0;
    QTest::newRow("zero") << 0 << 0;
}

void JisConversionTest::readBackConversion() {
    QFETCH(int, jis);
    QFETCH(int, sjis);
    QCOMPARE(jisToSjis(jis), sjis);
}

QTEST_APPLESS_MAIN(JisConversionTest)
#include "tst_jisconversion.moc"
