#include "sim/Device.h"

#include <QTest>

// The simulated device's answers to the program's command lines, byte for byte.
class SimDeviceTest : public QObject {
    Q_OBJECT
private slots:
    void readBack_data();
    void readBack();
    void refusedLines();
    void addressAndRefusedLinesKeepSettings();
    void glyphReadDuringAutomaticSwitching();
    void faults();
};

namespace {

const QByteArray blankTitle = QByteArray("2121").repeated(14);
const QByteArray blankGlyph(576, '0');
// Rows of 12 digits that differ, so that a mixed-up row shows.
const QByteArray patternGlyph = QByteArray("0123456789ABCDEF").repeated(36);

} // namespace

// Every field read back, as the device starts and after it was pushed.
void SimDeviceTest::readBack_data() {
    QTest::addColumn<QByteArray>("push");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    const auto row = [](const char* name, const QByteArray& push, const char* request,
                        const QByteArray& reply) {
        QTest::newRow(name) << push << QByteArray(request) << reply;
    };

    row("initial times", "", "RAST01B", "AST01B" + QByteArray("02").repeated(64));
    row("initial flags", "", "RCTD01T", "CTD01T" + QByteArray(64, 'N'));
    row("initial position", "", "RCTDPO02B", "CTDPO02B07");
    row("initial edge level", "", "RCEL", "CEL1");
    row("initial page", "", "RP02B", "P02B01");
    row("initial title", "", "RCT01T05", "CT01T05" + blankTitle);
    row("space glyph", "", "RFBM2121", "FBM2121" + blankGlyph);

    QByteArray someTimes;
    for (int page = 0; page < 64; ++page)
        someTimes += QByteArray::number(10 + page % 90);
    row("times", "AST02T" + someTimes, "RAST02T", "AST02T" + someTimes);
    row("time one page", "AST01B1099", "RAST01B",
        "AST01B" + QByteArray("02").repeated(9) + "99" + QByteArray("02").repeated(54));
    row("flags", "CTD02TFFF" + QByteArray(61, 'N'), "RCTD02T", "CTD02TFFF" + QByteArray(61, 'N'));
    row("flag one page", "CTD01B64OF", "RCTD01B", "CTD01B" + QByteArray(63, 'N') + "F");
    row("flag on", "CTD02B01ON", "RCTD02B", "CTD02B" + QByteArray(64, 'N'));
    row("position 0", "CTDPO01T00", "RCTDPO01T", "CTDPO01T00");
    row("position 15", "CTDPO02T15", "RCTDPO02T", "CTDPO02T15");
    row("edge level", "CEL3", "RCEL", "CEL3");
    row("white level", "CWL0", "RCWL", "CWL0");
    row("start-up page", "SUS02B33", "RSUS02B", "SUS02B33");
    row("start-up AUTO", "SUS01TAS", "RSUS01T", "SUS01TA");
    row("page", "P01B10", "RP01B", "P01B10");
    row("page AUTO", "P02BAS", "RP02B", "P02BA");
    const QByteArray title = "34413B7A7C7F" + QByteArray("2121").repeated(11);
    row("title stored", "CT02B09" + title, "RCT02B09", "CT02B09" + title);
    row("title not stored", "CN01T64" + title, "RCT01T64", "CT01T64" + title);
    row("glyph 26", "GR26" + patternGlyph, "RFBMBA7E", "FBMBA7E" + patternGlyph);
    row("glyph 27", "GR27" + patternGlyph, "RFBMBB21", "FBMBB21" + patternGlyph);
    row("glyph 5 inserted", "G05C01B12I03", "RCT01B12",
        "CT01B1221212121BA69" + QByteArray("2121").repeated(11));
    row("glyph 28 inserted", "G28C02B64I14", "RCT02B64",
        "CT02B64" + QByteArray("2121").repeated(13) + "BB22");
}

void SimDeviceTest::readBack() {
    QFETCH(QByteArray, push);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    sim::DeviceModel device;
    if (!push.isEmpty())
        QCOMPARE(device.respond(push + "\r\n"), QByteArray("GO\r\n"));
    QCOMPARE(device.respond(request + "\r\n"), reply + "\r\n");
}

// Anything not understood or out of range is answered "E3".
void SimDeviceTest::refusedLines() {
    QList<QByteArray> lines = QByteArray("CTD01T01NO AST02B6515 P01T65 P03T01 P01TA SUS01B00 "
                                         "CTDPO01T16 CWL4 CEL SA33 G29C01T01I01 G01C01T01I15 "
                                         "G01X01T01I01 RCT01T65 RFBMba65 RP01X RCEL1 XYZ")
                                  .split(' ');
    lines += {"",
              "CT01T01" + QByteArray("3a41").repeated(14),
              "CT01T01" + blankTitle.left(52),
              "CT01T65" + blankTitle,
              "CT01T00" + blankTitle,
              "CT03T01" + blankTitle,
              "CTD01T" + QByteArray(63, 'N'),
              "CTD01T" + QByteArray(63, 'N') + "X",
              "AST01T" + QByteArray("02").repeated(63) + "9A",
              "GR29" + blankGlyph,
              "GR01" + blankGlyph.left(575)};
    for (const QByteArray& line : lines) {
        sim::DeviceModel device;
        QVERIFY2(device.respond(line + "\r\n") == "E3\r\n", line.constData());
    }
    sim::DeviceModel device;
    QCOMPARE(device.respond("CWL2\n"), QByteArray("E3\r\n"));
    QCOMPARE(device.respond("CWL2"), QByteArray("E3\r\n"));
}

// The broadcast choice is no address of its own; a refused line changes nothing.
void SimDeviceTest::addressAndRefusedLinesKeepSettings() {
    sim::Device device(3);
    QCOMPARE(device.slaveAddress(), 3);
    QCOMPARE(device.respond("SA05\r\n"), QByteArray("GO\r\n"));
    QCOMPARE(device.respond("SA32\r\n"), QByteArray("GO\r\n"));
    QCOMPARE(device.slaveAddress(), 5);
    QCOMPARE(device.respond("CWL9\r\n"), QByteArray("E3\r\n"));
    QCOMPARE(device.whiteLevel(), 1);
}

void SimDeviceTest::glyphReadDuringAutomaticSwitching() {
    sim::DeviceModel device;
    const QByteArray bitmap = device.respond("RFBM2422\r\n");
    QVERIFY(bitmap.startsWith("FBM2422") && bitmap.size() == 7 + 576 + 2);
    QVERIFY(bitmap.mid(7, 576) != blankGlyph); // a character, unlike the blank space

    QCOMPARE(device.respond("P02BAS\r\n"), QByteArray("GO\r\n"));
    QCOMPARE(device.respond("RFBM2422\r\n"), QByteArray("GN\r\n"));
    QCOMPARE(device.respond("RFBMBA65\r\n"), QByteArray("GN\r\n"));
    QCOMPARE(device.respond("P02B01\r\n"), QByteArray("GO\r\n"));
    QCOMPARE(device.respond("RFBM2422\r\n"), bitmap);
}

// The transports carry out what a Reply asks; tst_simtransports checks that.
void SimDeviceTest::faults() {
    sim::Device device;
    device.refuseNext(1, "MENU");
    QVERIFY(device.receive("CWL0\r\n", true).lines.isEmpty()); // broadcast: no answer
    QCOMPARE(device.receive("CWL3\r\n").lines, QList<QByteArray>{"MENU\r\n"});
    QCOMPARE(device.whiteLevel(), 0); // refused lines are not carried out

    device.ignoreNext(1);
    QVERIFY(device.receive("CWL2\r\n").lines.isEmpty());
    QCOMPARE(device.whiteLevel(), 0);

    device.holdNextReply();
    QVERIFY(device.receive("CEL2\r\n").lines.isEmpty());
    device.setReplyDelay(40);
    device.appendToNextReply("E0\r\n");
    device.closeAfterNextReply();
    const sim::Reply joined = device.receive("RCWL\r\n");
    QCOMPARE(joined.lines, (QList<QByteArray>{"GO\r\n", "CWL0\r\n", "E0\r\n"}));
    QCOMPARE(joined.delayMs, 40);
    QVERIFY(joined.closeAfter);
    QCOMPARE(device.receive("RCEL\r\n").lines, QList<QByteArray>{"CEL2\r\n"}); // spent
    QCOMPARE(device.receivedLines(),
             (QList<QByteArray>{"CWL0", "CWL3", "CWL2", "CEL2", "RCWL", "RCEL"}));
}

QTEST_GUILESS_MAIN(SimDeviceTest)
#include "tst_simdevice.moc"
