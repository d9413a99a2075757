#include "protocol/ShiftJisText.h"

#include <QTest>

class ShiftJisTextTest : public QObject {
    Q_OBJECT
private slots:
    void codecIsAvailable();
    void encodes_data();
    void encodes();
    void refusesWhatDoesNotEncode_data();
    void refusesWhatDoesNotEncode();
    void invalidBytesDecodeToReplacement();
    void decodesWhatItEncodes();
    void characterBoundary_data();
    void characterBoundary();
};

void ShiftJisTextTest::codecIsAvailable() {
    QVERIFY(ShiftJisText::isAvailable());
}

void ShiftJisTextTest::encodes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("kanji") << QStringLiteral("漢字") << QByteArray::fromHex("8abf8e9a");
    QTest::newRow("ascii") << QStringLiteral("AB") << QByteArray("AB");
    QTest::newRow("half-width katakana") << QStringLiteral("ｱ") << QByteArray::fromHex("b1");
    // Input method forms go to the code page's own characters.
    QTest::newRow("wave dash") << QStringLiteral("\u301C") << QByteArray::fromHex("8160");
    QTest::newRow("double vertical line")
        << QStringLiteral("\u2016") << QByteArray::fromHex("8161");
    QTest::newRow("minus sign") << QStringLiteral("\u2212") << QByteArray::fromHex("817c");
    QTest::newRow("em dash") << QStringLiteral("\u2014") << QByteArray::fromHex("815c");
    QTest::newRow("cent") << QStringLiteral("\u00A2") << QByteArray::fromHex("8191");
    QTest::newRow("pound") << QStringLiteral("\u00A3") << QByteArray::fromHex("8192");
    QTest::newRow("not") << QStringLiteral("\u00AC") << QByteArray::fromHex("81ca");
    QTest::newRow("IBM extension") << QStringLiteral("ⅰ") << QByteArray::fromHex("fa40");
}

void ShiftJisTextTest::encodes() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(ShiftJisText::encode(text), std::optional<QByteArray>(bytes));
    QCOMPARE(ShiftJisText::byteLength(text), std::optional<qsizetype>(bytes.size()));
}

void ShiftJisTextTest::refusesWhatDoesNotEncode_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("hangul") << QStringLiteral("한");
    QTest::newRow("emoji") << QStringLiteral("あ😀");
    QTest::newRow("replacement character") << QString(QChar::ReplacementCharacter);
}

void ShiftJisTextTest::refusesWhatDoesNotEncode() {
    QFETCH(QString, text);
    QVERIFY(!ShiftJisText::encode(text));
    QVERIFY(!ShiftJisText::byteLength(text));
}

void ShiftJisTextTest::invalidBytesDecodeToReplacement() {
    const QString text = ShiftJisText::decode(QByteArray::fromHex("82a0ff82a0"));
    QCOMPARE(text, QStringLiteral("あ\uFFFDあ"));
    // What was damaged cannot be saved back as some other character.
    QVERIFY(!ShiftJisText::encode(text));
    QCOMPARE(ShiftJisText::decode(QByteArray::fromHex("82")), QStringLiteral("\uFFFD"));
}

void ShiftJisTextTest::decodesWhatItEncodes() {
    const QString text = QStringLiteral("タイトル１　ABCｱｲｳ～");
    const auto bytes = ShiftJisText::encode(text);
    QVERIFY(bytes);
    QCOMPARE(ShiftJisText::decode(*bytes), text);
}

void ShiftJisTextTest::characterBoundary_data() {
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

void ShiftJisTextTest::characterBoundary() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, maxBytes);
    QFETCH(int, boundary);
    QCOMPARE(ShiftJisText::characterBoundary(bytes, maxBytes), boundary);
}

QTEST_APPLESS_MAIN(ShiftJisTextTest)
#include "tst_shiftjistext.moc"
