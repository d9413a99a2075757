#include "protocol/JisConversion.h"

#include <QTest>
#include <vector>

class JisConversionTest : public QObject {
    Q_OBJECT
private slots:
    // Kanji, NEC row 0x2D, an IBM symbol and its NEC-selected twin, an IBM kanji; read back,
    // codes above the last kept one are spaces.
    void exactCodes() {
        QList<int> jis;
        for (int sjis : {0x8ABF, 0x8754, 0xFA40, 0xEEEF, 0xFA5C})
            jis << titleCharacterToJis(sjis);
        QCOMPARE(jis, QList<int>({0x3441, 0x2D35, 0x7C71, 0x7C71, 0x7921}));
        QCOMPARE(jisToSjis(0x7C7F), 0x8140);
    }

    // Every 16-bit code against the acceptance table of title characters, written from the
    // table itself.
    void wholeCodeRangeFollowsTheAcceptanceTable() {
        const auto inRange = [](int v, int low, int high) { return v >= low && v <= high; };
        std::vector<bool> jisTaken(0x10000);
        for (int code = 0; code <= 0xFFFF; ++code) {
            const int jis = titleCharacterToJis(code);
            const int lead = code >> 8, trail = code & 0xFF;
            const bool validTrail = inRange(trail, 0x40, 0x7E) || inRange(trail, 0x80, 0xFC);
            const bool jisBytes = inRange(jis >> 8, 0x21, 0x7E) && inRange(jis & 0xFF, 0x21, 0x7E);
            const QByteArray what =
                QByteArray::number(code, 16) + " gave " + QByteArray::number(jis, 16);
            if ((inRange(lead, 0x81, 0x9F) || inRange(lead, 0xE0, 0xEF)) && validTrail) {
                // The arithmetic conversion never gives two characters the same code, and what
                // the device keeps reads back as the same character.
                QVERIFY2(jisBytes && !jisTaken[std::size_t(jis)], what);
                jisTaken[std::size_t(jis)] = true;
                QVERIFY2(jis > 0x7C7E || jisToSjis(jis) == code, what + ", not read back");
            } else if (inRange(code, 0xFA40, 0xFA49) || inRange(code, 0xFA55, 0xFA57)) {
                QVERIFY2(inRange(jis, 0x7C71, 0x7C7A) || inRange(jis, 0x7C7C, 0x7C7E), what);
            } else if (inRange(code, 0xFA5C, 0xFC4B) && validTrail) {
                // The IBM code and its NEC-selected twin are the same character.
                QVERIFY2(jisBytes && inRange(jis >> 8, 0x79, 0x7C), what);
                QVERIFY2(jis == titleCharacterToJis(ibmToNecSelected(code)), what);
            } else {
                QVERIFY2(jis == 0, what);
            }
        }
    }
};

QTEST_APPLESS_MAIN(JisConversionTest)
#include "tst_jisconversion.moc"
