#include "commands/GlyphCommands.h"
#include "document/GlyphFile.h"

#include <QBuffer>
#include <QTest>

// The command lines of the custom glyphs and the glyph file, byte for byte.

namespace {

GlyphSample sampleOf(const QByteArray& bytes) {
    GlyphSample sample;
    std::copy_n(bytes.data(), sample.size(), sample.begin());
    return sample;
}

// Every digit, and the trailing bytes as New leaves them.
const QByteArray drawn = QByteArray("0123456789ABCDEF").repeated(36) + '\0' + "000";
const QByteArray digits = drawn.first(576);

} // namespace

class GlyphLinesTest : public QObject {
    Q_OBJECT
private slots:
    // Damaged numbers go as the nearest; a sample read that is refused shows as "refused".
    // (Numbers 27 and 29, and registration and insertion in range: tst_zevctl.)
    void lines() {
        QList<QByteArray> reads;
        for (const char* text : {"26", "AB", "00"}) {
            const GlyphReadRequest request = glyphReadRequest(text);
            reads << (request.refused ? "refused " : "") + request.line;
        }
        QCOMPARE(reads,
                 QList<QByteArray>({"RFBMBA7E\r\n", "RFBM2121\r\n", "refused RFBM2121\r\n"}));
        QCOMPARE(glyphRegistrationLine(40, GlyphSample{}).first(4), "GR28");
        QCOMPARE(glyphInsertLine(-1, 7, 99, 20), "G01C02B64I14\r\n");
    }

    void file_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArray>("read"); // empty: refused
        QTest::addColumn<QString>("reason");  // why it was refused
        QTest::newRow("drawn after New, one line") << drawn << drawn << QString();
        QTest::newRow("blank lines and tabs between")
            << digits.first(99) + "\r\n\r\n \t" + digits.sliced(99) + "\n\n" + '\0' + "\n000\n\n"
            << drawn << QString();
        QTest::newRow("more than 580") << digits + "0123456789" << digits + "0123" << QString();
        QTest::newRow("ends in the trailing bytes")
            << digits + "\r\n1" << digits + "1XYZ" << QString();
        QTest::newRow("575 digits")
            << digits.first(575) << QByteArray()
            << "575 桁で終わっています。外字には 576 桁の 16 進数字が必要です。";
        QTest::newRow("lower case on line 3")
            << digits.first(12) + "\r\n" + digits.sliced(12, 12) + "\r\na" + digits.sliced(25)
            << QByteArray()
            << "3 行目: 25 桁目には 16 進数字 (0-9, A-F) が必要ですが、文字コード 0x61 "
               "の文字があります。";
    }
    // Reading takes a character and skips white space; what was read is written one byte a
    // line with CR LF, NUL included, and reads back the same.
    void file() {
        QFETCH(QByteArray, file);
        QFETCH(QByteArray, read);
        QFETCH(QString, reason);
        const QByteArray before = QByteArray(576, '5') + "WXYZ";
        GlyphSample sample = sampleOf(before);
        QBuffer buffer(&file);
        buffer.open(QIODevice::ReadOnly);
        QString why;
        QCOMPARE(readGlyphFile(buffer, sample, &why), !read.isEmpty());
        QCOMPARE(QByteArray(sample.data(), 580), read.isEmpty() ? before : read);
        QCOMPARE(why, reason);
        if (read.isEmpty())
            return;
        QByteArray lines;
        for (const char byte : read)
            lines += byte + QByteArray("\r\n");
        QBuffer written;
        written.open(QIODevice::ReadWrite);
        QVERIFY(writeGlyphFile(written, sample));
        QCOMPARE(written.data(), lines);
        written.seek(0);
        QVERIFY(readGlyphFile(written, sample));
        QCOMPARE(QByteArray(sample.data(), 580), read);
    }
};

QTEST_MAIN(GlyphLinesTest)
#include "tst_glyphlines.moc"
