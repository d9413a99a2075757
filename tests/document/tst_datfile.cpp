#include "document/DatFile.h"

#include <QBuffer>
#include <QTest>
#include <climits>

namespace {

const QByteArray kanji = QByteArray::fromHex("8abf"); // 漢

// A document in which every file field differs from its start value and from its neighbours.
SettingsDocument sampleDocument() {
    SettingsDocument document;
    for (int index = 0; index < SettingsDocument::titleCount; ++index) {
        document.titleDisplayOn[index / 64][index % 64] = index % 2;
        document.autoSwitchTimes[index / 64][index % 64] = index % 100;
        if (index % 2)
            document.titleTexts[index].assign(kanji + '\xb1' + QByteArray::number(index));
    }
    document.titleTexts[2].assign("ss");
    document.titleTexts[4].assign(kanji.repeated(14) + 'A'); // the longest title, 29 bytes
    document.titleTexts[6].assign(kanji + '\x82'); // ends in a lone lead byte: kept as it is
    document.startupPage = {64, 1, 2, 63};
    document.displayPage = {5, 64, 0, 7};
    std::tie(document.whiteLevel, document.edgeLevel, document.reserved1, document.reserved2) =
        std::tuple(3, -2, INT_MAX, INT_MIN);
    document.displayPosition = {0, 15, 8, 1};
    return document;
}

// The file's bytes; what a refused write left behind follows "refused".
QByteArray written(const SettingsDocument& document) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeDatFile(buffer, document) ? buffer.data() : "refused" + buffer.data();
}

bool readInto(QByteArray bytes, SettingsDocument& document) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readDatFile(buffer, document);
}

QList<QByteArray> tokens(const SettingsDocument& document) {
    return written(document).simplified().split(' ');
}

} // namespace

class DatFileTest : public QObject {
    Q_OBJECT
private slots:
    void everyFieldReadsBackExactly() {
        const QByteArray bytes = written(sampleDocument());
        QCOMPARE(bytes.count("\r\n"), 784);
        SettingsDocument read;
        QVERIFY(readInto(bytes, read));
        QCOMPARE(written(read), bytes);
    }

    // The numbers after the end keep their values; the titles after it are emptied.
    void fileEndingEarly() {
        SettingsDocument read;
        read.titleTexts.fill(SettingsDocument::Title("old"));
        read.displayPosition = {1, 2, 3, 4};
        SettingsDocument expected = sampleDocument();
        QVERIFY(readInto(tokens(expected).mid(0, 600).join("\r\n"), read));
        for (int index = 600 - 524; index < SettingsDocument::titleCount; ++index)
            expected.titleTexts[index].clear();
        expected.displayPosition = {1, 2, 3, 4};
        QCOMPARE(written(read), written(expected));
    }

    void longTitleIsCutAtCharacterBoundary() {
        const QList<std::pair<QByteArray, QByteArray>> cuts{
            {kanji.repeated(15), kanji.repeated(14)},
            {QByteArray(100000, 'B'), QByteArray(29, 'B')}};
        for (const auto& [token, title] : cuts) {
            auto values = tokens(SettingsDocument());
            values[524 + 100] = token;
            SettingsDocument read;
            QVERIFY(readInto(values.join(' ') + " trailing words are ignored", read));
            QCOMPARE(read.titleTexts[100].view(), QByteArrayView(title));
        }
    }
};

QTEST_GUILESS_MAIN(DatFileTest)
#include "tst_datfile.moc"
