#include "protocol/ShiftJisText.h"

#include <QTest>

class ShiftJisTextTest : public QObject {
    Q_OBJECT
private slots:
    void encode_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes"); // hexadecimal; empty: cannot be encoded
        QTest::newRow("kanji") << "漢字" << QByteArray("8abf8e9a");
        QTest::newRow("half-width katakana") << "ｱ" << QByteArray("b1");
        // Input method forms go to the code page's own characters.
        QTest::newRow("wave dash") << "\u301C" << QByteArray("8160");
        QTest::newRow("double vertical line") << "\u2016" << QByteArray("8161");
        QTest::newRow("minus sign") << "\u2212" << QByteArray("817c");
        QTest::newRow("em dash") << "\u2014" << QByteArray("815c");
        QTest::newRow("cent") << "\u00A2" << QByteArray("8191");
        QTest::newRow("pound") << "\u00A3" << QByteArray("8192");
        QTest::newRow("not") << "\u00AC" << QByteArray("81ca");
        QTest::newRow("IBM extension") << "ⅰ" << QByteArray("fa40");
        QTest::newRow("hangul") << "한" << QByteArray();
        QTest::newRow("emoji") << "あ😀" << QByteArray();
        QTest::newRow("replacement character") << "\uFFFD" << QByteArray();
    }

    void encode() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        const auto encoded = ShiftJisText::encode(text);
        QCOMPARE(encoded.has_value(), !bytes.isEmpty());
        QCOMPARE(encoded.value_or(QByteArray()).toHex(), bytes);
        QCOMPARE(ShiftJisText::byteLength(text).value_or(-1),
                 bytes.isEmpty() ? -1 : bytes.size() / 2);
    }

    void decode() {
        const QString title = QStringLiteral("タイトル１　ABCｱｲｳ～");
        QCOMPARE(ShiftJisText::decode(ShiftJisText::encode(title).value_or(QByteArray())), title);
        // Invalid bytes become U+FFFD, which cannot be saved back as some other character.
        const QString text = ShiftJisText::decode(QByteArray::fromHex("82a0ff82a0"));
        QCOMPARE(text, QStringLiteral("あ\uFFFDあ"));
        QVERIFY(!ShiftJisText::encode(text));
        QCOMPARE(ShiftJisText::decode(QByteArray::fromHex("82")), QStringLiteral("\uFFFD"));
    }

    void characterBoundary_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("boundary");
        const QByteArray kanji = QByteArray::fromHex("8abf8e9a");
        QTest::newRow("fits") << kanji << 4 << 4;
        QTest::newRow("cut inside second character") << kanji << 3 << 2;
        QTest::newRow("single bytes") << QByteArray("ABC") << 2 << 2;
        QTest::newRow("mixed") << QByteArray("A") + kanji << 4 << 3;
        QTest::newRow("lone lead byte at end") << QByteArray::fromHex("4181") << 10 << 1;
    }

    void characterBoundary() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, maxBytes);
        QFETCH(int, boundary);
        QCOMPARE(ShiftJisText::characterBoundary(bytes, maxBytes), boundary);
    }
};

QTEST_APPLESS_MAIN(ShiftJisTextTest)
#include "tst_shiftjistext.moc"
