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
    void exactCodes() {
        // Space, kanji, NEC row 0x2D, the last arithmetic code, the IBM symbols and their
        // NEC-selected twin, the first and last IBM kanji.
        const int titleCodes[][2] = {{0x8140, 0x2121}, {0x8ABF, 0x3441}, {0x8754, 0x2D35},
                                     {0xEFFC, 0x7E7E}, {0xFA40, 0x7C71}, {0xEEEF, 0x7C71},
                                     {0xFA57, 0x7C7E}, {0xFA5C, 0x7921}, {0xFC4B, 0x7C6E}};
        for (const auto& [sjis, jis] : titleCodes)
            QCOMPARE(titleCharacterToJis(sjis), jis);
        // Read back: the last kept code, codes above it as spaces, bytes outside 0x21-0x7E.
        const int readBackCodes[][2] = {
            {0x7C7E, 0xEEFC}, {0x7C7F, 0x8140}, {0x7E7E, 0x8140}, {0x217F, 0}, {0x2021, 0}};
        for (const auto& [jis, sjis] : readBackCodes)
            QCOMPARE(jisToSjis(jis), sjis);
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
                // The arithmetic conversion never gives two characters the same code, and
                // what the device keeps reads back as the same character.
                QVERIFY2(firstCodeOfJis[jis] == -1, what + ", as did an earlier code");
                firstCodeOfJis[jis] = code;
                QVERIFY2(jis > 0x7C7E || jisToSjis(jis) == code, what + ", not read back");
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
};

QTEST_APPLESS_MAIN(JisConversionTest)
#include "tst_jisconversion.moc"
