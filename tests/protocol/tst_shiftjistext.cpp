#include "core/ShiftJisText.h"

#include <QTest>

class ShiftJisTextTest : public QObject {
    Q_OBJECT
private slots:
    void encodeAndDecode() {
        // The input method's wave dash goes to the code page's own character.
        const QString title = QStringLiteral("漢ｱⅰ\u301C");
        const QByteArray bytes = QByteArray::fromHex("8abfb1fa408160");
        QCOMPARE(ShiftJisText::encode(title).value_or(QByteArray()), bytes);
        QCOMPARE(ShiftJisText::byteLength(title).value_or(-1), bytes.size());
        QCOMPARE(ShiftJisText::decode(bytes), QStringLiteral("漢ｱⅰ～"));
        QVERIFY(!ShiftJisText::encode(QStringLiteral("あ😀")));
        // Invalid bytes become U+FFFD, which cannot be saved back as some other character.
        const QString text = ShiftJisText::decode(QByteArray::fromHex("82a0ff82a0"));
        QCOMPARE(text, QStringLiteral("あ\uFFFDあ"));
        QVERIFY(!ShiftJisText::encode(text));
        QCOMPARE(ShiftJisText::decode(QByteArray::fromHex("82")), QStringLiteral("\uFFFD"));
    }
};

QTEST_APPLESS_MAIN(ShiftJisTextTest)
#include "tst_shiftjistext.moc"
