#include "document/DatFile.h"
#include "document/FileExtension.h"

#include <QBuffer>
#include <QTest>
#include <climits>

namespace {

const QByteArray kanji = QByteArray::fromHex("8abf"); // 漢

// A document in which every file field differs from its start value and from its neighbours.
SettingsDocument sampleDocument() {
    SettingsDocument document;
    for (int index = 0; index < SettingsDocument::titleCount; ++index) {
        const int area = index / SettingsDocument::pageCount;
        const int page = index % SettingsDocument::pageCount;
        document.titleDisplayOn[area][page] = index % 2;
        document.autoSwitchTimes[area][page] = index % 100;
        auto& title = document.titleTexts[index]; // every third one stays empty
        if (index % 3 == 0)
            title.assign(kanji + QByteArray::fromHex("b1") + QByteArray::number(index)); // 漢ｱ…
        else if (index % 3 == 2)
            title.assign(kanji.repeated(14) + "A"); // the longest title, 29 bytes
    }
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
    for (int index = 0; index < SettingsDocument::titleCount; ++index)
        if (left.titleTexts[index].view() != right.titleTexts[index].view())
            return false;
    return left.titleDisplayOn == right.titleDisplayOn &&
           left.autoSwitchTimes == right.autoSwitchTimes && left.startupPage == right.startupPage &&
           left.displayPage == right.displayPage && left.whiteLevel == right.whiteLevel &&
           left.edgeLevel == right.edgeLevel && left.reserved1 == right.reserved1 &&
           left.reserved2 == right.reserved2 && left.displayPosition == right.displayPosition;
}

QByteArray written(const SettingsDocument& document) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!writeDatFile(buffer, document))
        return {};
    return buffer.data();
}

bool readInto(QByteArray bytes, SettingsDocument& document) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readDatFile(buffer, document);
}

// The file as its whitespace tokens.
QList<QByteArray> tokens(const SettingsDocument& document) {
    return written(document).simplified().split(' ');
}

} // namespace

class DatFileTest : public QObject {
    Q_OBJECT
private slots:
    void everyFieldReadsBackExactly();
    void anyWhitespaceSeparatesValues();
    void fileThatEndsEarly_data();
    void fileThatEndsEarly();
    void malformedFileLeavesDocument_data();
    void malformedFileLeavesDocument();
    void titleTokens_data();
    void titleTokens();
    void unstorableTitles_data();
    void unstorableTitles();
    void extensionRule();
};

void DatFileTest::everyFieldReadsBackExactly() {
    const SettingsDocument sample = sampleDocument();
    SettingsDocument read;
    QVERIFY(readInto(written(sample), read));
    QVERIFY(sameFileFields(read, sample));
    QCOMPARE(read.titleTexts[2].length(), 29);
}

void DatFileTest::anyWhitespaceSeparatesValues() {
    const auto values = tokens(sampleDocument());
    QByteArray bytes = "  \t";
    for (int i = 0; i < values.size(); ++i)
        bytes += values[i] + (i % 3 == 0 ? " \t " : i % 3 == 1 ? "\n\n" : "\r\n\v\f");
    SettingsDocument read;
    QVERIFY(readInto(bytes, read));
    QVERIFY(sameFileFields(read, sampleDocument()));
}

void DatFileTest::fileThatEndsEarly_data() {
    QTest::addColumn<int>("tokenCount");
    QTest::newRow("empty") << 0;
    QTest::newRow("inside the switching times") << 300;
    QTest::newRow("inside the titles") << 600;
    QTest::newRow("before the positions") << 780;
}

void DatFileTest::fileThatEndsEarly() {
    QFETCH(int, tokenCount);
    const SettingsDocument sample = sampleDocument();
    const QByteArray bytes = tokens(sample).mid(0, tokenCount).join("\r\n");
    SettingsDocument read;
    read.titleTexts.fill(SettingsDocument::Title("old"));
    read.displayPosition = {3, 3, 3, 3};
    const SettingsDocument before = read;
    QVERIFY(readInto(bytes, read));

    const int firstTitleToken = 524;
    for (int area = 0; area < SettingsDocument::areaCount; ++area)
        for (int page = 0; page < SettingsDocument::pageCount; ++page) {
            const int token = 256 + area * 64 + page;
            QCOMPARE(read.autoSwitchTimes[area][page],
                     (token < tokenCount ? sample : before).autoSwitchTimes[area][page]);
        }
    for (int index = 0; index < SettingsDocument::titleCount; ++index) {
        const bool inFile = firstTitleToken + index < tokenCount;
        QCOMPARE(read.titleTexts[index].view(),
                 inFile ? sample.titleTexts[index].view() : QByteArrayView());
    }
    QCOMPARE(read.displayPosition, before.displayPosition);
}

void DatFileTest::malformedFileLeavesDocument_data() {
    QTest::addColumn<int>("token");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("word for a flag") << 0 << QByteArray("on");
    QTest::newRow("digits and letters") << 300 << QByteArray("12x");
    QTest::newRow("beyond 32 bits") << 522 << QByteArray("2147483648");
    QTest::newRow("endless digits") << 513 << QByteArray(5000, '7');
    QTest::newRow("word for a position") << 783 << QByteArray("s");
}

void DatFileTest::malformedFileLeavesDocument() {
    QFETCH(int, token);
    QFETCH(QByteArray, value);
    auto values = tokens(sampleDocument());
    values[token] = value;
    SettingsDocument read;
    read.titleTexts[7].assign("old");
    const SettingsDocument before = read;
    QVERIFY(!readInto(values.join("\r\n"), read));
    QVERIFY(sameFileFields(read, before));
}

void DatFileTest::titleTokens_data() {
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<QByteArray>("title");
    QTest::newRow("s is the empty title") << QByteArray("s") << QByteArray();
    QTest::newRow("ss") << QByteArray("ss") << QByteArray("ss");
    QTest::newRow("upper-case S") << QByteArray("S") << QByteArray("S");
    QTest::newRow("30 single bytes") << QByteArray(30, 'A') << QByteArray(29, 'A');
    QTest::newRow("15 double-byte characters") << kanji.repeated(15) << kanji.repeated(14);
    QTest::newRow("odd start keeps 29") << "A" + kanji.repeated(15) << "A" + kanji.repeated(14);
    QTest::newRow("endless token") << QByteArray(100000, 'B') << QByteArray(29, 'B');
}

void DatFileTest::titleTokens() {
    QFETCH(QByteArray, token);
    QFETCH(QByteArray, title);
    auto values = tokens(SettingsDocument());
    values[524 + 100] = token;
    SettingsDocument read;
    QVERIFY(readInto(values.join(' ') + " trailing words are ignored", read));
    QCOMPARE(read.titleTexts[100].view(), QByteArrayView(title));
    QCOMPARE(read.displayPosition, SettingsDocument().displayPosition);
}

void DatFileTest::unstorableTitles_data() {
    QTest::addColumn<QByteArray>("title");
    QTest::addColumn<bool>("storable");
    QTest::newRow("blank") << QByteArray("A B") << false;
    QTest::newRow("tab") << QByteArray("A\tB") << false;
    QTest::newRow("CR") << QByteArray("A\r") << false;
    QTest::newRow("LF") << QByteArray("\nB") << false;
    QTest::newRow("other control byte") << QByteArray("A\x1a") << false;
    QTest::newRow("s") << QByteArray("s") << false;
    QTest::newRow("ss") << QByteArray("ss") << true;
    QTest::newRow("full-width space") << QByteArray::fromHex("81408140") << true;
}

void DatFileTest::unstorableTitles() {
    QFETCH(QByteArray, title);
    QFETCH(bool, storable);
    SettingsDocument document;
    document.titleTexts[200].assign(title);
    QCOMPARE(firstUnstorableTitle(document), storable ? -1 : 200);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QCOMPARE(writeDatFile(buffer, document), storable);
    if (!storable)
        QVERIFY(buffer.data().isEmpty());
}

// Save As covers the usual names; these are the edges of the search.
void DatFileTest::extensionRule() {
    QVERIFY(containsExtension("name.dat.bak", ".dat"));
    QVERIFY(!containsExtension(".dat", ".dat"));
    QVERIFY(containsExtension("C:\\g\\a.txt", ".txt"));
    QVERIFY(!containsExtension("C:\\g\\a.TXT", ".txt"));
}

QTEST_GUILESS_MAIN(DatFileTest)
#include "tst_datfile.moc"
