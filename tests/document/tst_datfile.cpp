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
        if (index % 3 == 0) // 漢ｱ and the index
            document.titleTexts[index].assign(kanji + '\xb1' + QByteArray::number(index));
        else if (index % 3 == 2) // the longest title, 29 bytes
            document.titleTexts[index].assign(kanji.repeated(14) + 'A');
    }
    document.titleTexts[1].assign("ss");
    document.titleTexts[4].assign("\x81\x40\x81\x40"); // full-width spaces
    document.titleTexts[7].assign(kanji + '\x82');     // ends in a lone lead byte: kept as it is
    document.startupPage = {64, 1, 2, 63};
    document.displayPage = {5, 64, 0, 7};
    document.whiteLevel = 3;
    document.edgeLevel = -2;
    document.reserved1 = INT_MAX;
    document.reserved2 = INT_MIN;
    document.displayPosition = {0, 15, 8, 1};
    return document;
}

bool sameFileFields(const SettingsDocument& left, const SettingsDocument& right) {
    const auto fields = [](const SettingsDocument& d) {
        return std::tie(d.titleDisplayOn, d.autoSwitchTimes, d.startupPage, d.displayPage,
                        d.whiteLevel, d.edgeLevel, d.reserved1, d.reserved2, d.displayPosition);
    };
    return fields(left) == fields(right) &&
           std::equal(left.titleTexts.begin(), left.titleTexts.end(), right.titleTexts.begin(),
                      [](const auto& one, const auto& other) { return one == other.view(); });
}

QByteArray written(const SettingsDocument& document) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeDatFile(buffer, document) ? buffer.data() : QByteArray();
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
    // Read as written, and with any whitespace between the values.
    void everyFieldReadsBackExactly() {
        const SettingsDocument sample = sampleDocument();
        QByteArray spaced = "  \t";
        for (const QByteArray& value : tokens(sample))
            spaced += value + (spaced.size() % 2 ? " \t " : "\r\n\v\f\n");
        for (const QByteArray& bytes : {written(sample), spaced}) {
            SettingsDocument read;
            QVERIFY(readInto(bytes, read));
            QVERIFY(sameFileFields(read, sample));
            QCOMPARE(read.titleTexts[2].length(), 29);
        }
    }

    // A file cut short is read up to its end: the numbers after it stay as they were and the
    // titles after it are emptied. A bad value leaves the whole document as it was.
    void damagedFile_data() {
        QTest::addColumn<int>("token");
        QTest::addColumn<QByteArray>("value"); // replaces the token; none: the file ends there
        QTest::newRow("empty") << 0 << QByteArray();
        QTest::newRow("ends inside the switching times") << 300 << QByteArray();
        QTest::newRow("ends inside the titles") << 600 << QByteArray();
        QTest::newRow("word for a flag") << 0 << QByteArray("on");
        QTest::newRow("digits and letters") << 300 << QByteArray("12x");
        QTest::newRow("beyond 32 bits") << 522 << QByteArray("2147483648");
        QTest::newRow("endless digits") << 513 << QByteArray(5000, '7');
        QTest::newRow("word for a position") << 783 << QByteArray("s");
    }

    void damagedFile() {
        QFETCH(int, token);
        QFETCH(QByteArray, value);
        const SettingsDocument sample = sampleDocument();
        auto values = tokens(sample);
        if (value.isNull())
            values.resize(token);
        else
            values[token] = value;
        SettingsDocument read;
        read.titleTexts.fill(SettingsDocument::Title("old"));
        const SettingsDocument before = read;
        QCOMPARE(readInto(values.join("\r\n"), read), value.isNull());
        if (!value.isNull()) {
            QVERIFY(sameFileFields(read, before));
            return;
        }
        for (int index = 0; index < SettingsDocument::titleCount; ++index) {
            const auto& times = (256 + index < token ? sample : before).autoSwitchTimes;
            QCOMPARE(read.autoSwitchTimes[index / 64][index % 64], times[index / 64][index % 64]);
            QCOMPARE(read.titleTexts[index].view(),
                     524 + index < token ? sample.titleTexts[index].view() : QByteArrayView());
        }
        QCOMPARE(read.displayPosition, before.displayPosition);
    }

    void titleTokens_data() {
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<QByteArray>("title");
        QTest::newRow("s is the empty title") << QByteArray("s") << QByteArray();
        QTest::newRow("ss") << QByteArray("ss") << QByteArray("ss");
        QTest::newRow("15 double-byte characters") << kanji.repeated(15) << kanji.repeated(14);
        QTest::newRow("odd start keeps 29") << "A" + kanji.repeated(15) << "A" + kanji.repeated(14);
        QTest::newRow("endless token") << QByteArray(100000, 'B') << QByteArray(29, 'B');
    }

    void titleTokens() {
        QFETCH(QByteArray, token);
        QFETCH(QByteArray, title);
        auto values = tokens(SettingsDocument());
        values[524 + 100] = token;
        SettingsDocument read;
        QVERIFY(readInto(values.join(' ') + " trailing words are ignored", read));
        QCOMPARE(read.titleTexts[100].view(), QByteArrayView(title));
        QCOMPARE(read.displayPosition, SettingsDocument().displayPosition);
    }

    // "ss" and the full-width space are in the sample, which is written.
    void unstorableTitles_data() {
        QTest::addColumn<QByteArray>("title");
        QTest::newRow("blank") << QByteArray("A B");
        QTest::newRow("LF") << QByteArray("\nB");
        QTest::newRow("other control byte") << QByteArray("A\x1a");
        QTest::newRow("s") << QByteArray("s");
    }

    void unstorableTitles() {
        QFETCH(QByteArray, title);
        SettingsDocument document;
        document.titleTexts[200].assign(title);
        QCOMPARE(firstUnstorableTitle(document), 200);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(!writeDatFile(buffer, document));
        QVERIFY(buffer.data().isEmpty());
    }
};

QTEST_GUILESS_MAIN(DatFileTest)
#include "tst_datfile.moc"
