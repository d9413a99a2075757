#include "sim/Device.h"

#include <QTest>

// The simulated device's answers to the program's command lines, byte for byte.
class SimDeviceTest : public QObject {
    Q_OBJECT
private slots:
    void respond_data();
    void respond();
    void readBack_data();
    void readBack();
    void stateAfterCommands();
    void glyphReadDuringAutomaticSwitching();
    void faults();
    void broadcastLeavesFaultsPending();
};

namespace {

QByteArray times(int count, const QByteArray& text) {
    return text.repeated(count);
}

QByteArray blankTitle() {
    return times(14, "2121");
}
QByteArray blankGlyph() {
    return times(576, "0");
}

// A glyph whose rows differ, so that a mixed-up number or row shows.
QByteArray patternGlyph(char first) {
    QByteArray digits;
    for (int i = 0; i < 576; ++i)
        digits += "0123456789ABCDEF"[(first - '0' + i) % 16];
    return digits;
}

} // namespace

void SimDeviceTest::respond_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("reply");
    const QByteArray go("GO\r\n");
    const QByteArray e3("E3\r\n");

    QTest::newRow("title stored") << "CT01T01" + blankTitle() + "\r\n" << go;
    QTest::newRow("title not stored")
        << "CN02B09" + QByteArray("23412342") + times(12, "2121") + "\r\n"
        << go;
    QTest::newRow("title lower-case hex") << "CT01T01" + times(14, "3a41") + "\r\n" << e3;
    QTest::newRow("title short") << "CT01T01" + times(13, "2121") + "\r\n" << e3;
    QTest::newRow("title page 65") << "CT01T65" + blankTitle() + "\r\n" << e3;
    QTest::newRow("title page 00") << "CT01T00" + blankTitle() + "\r\n" << e3;
    QTest::newRow("title channel 03") << "CT03T01" + blankTitle() + "\r\n" << e3;
    QTest::newRow("title line X") << "CT01X01" + blankTitle() + "\r\n" << e3;

    QTest::newRow("flag off") << QByteArray("CTD01T01OF\r\n") << go;
    QTest::newRow("flag on") << QByteArray("CTD02B64ON\r\n") << go;
    QTest::newRow("flag word") << QByteArray("CTD01T01NO\r\n") << e3;
    QTest::newRow("flags 64") << "CTD01T" + times(64, "N") + "\r\n" << go;
    QTest::newRow("flags 63") << "CTD01T" + times(63, "N") + "\r\n" << e3;
    QTest::newRow("flags letter") << "CTD01T" + times(63, "N") + "X\r\n" << e3;

    QTest::newRow("time one page") << QByteArray("AST01T0101\r\n") << go;
    QTest::newRow("time 99") << QByteArray("AST02B1099\r\n") << go;
    QTest::newRow("time page 65") << QByteArray("AST02B6515\r\n") << e3;
    QTest::newRow("times 64") << "AST01T" + times(64, "02") + "\r\n" << go;
    QTest::newRow("times not digits") << "AST01T" + times(63, "02") + "9A\r\n" << e3;

    QTest::newRow("page") << QByteArray("P01T01\r\n") << go;
    QTest::newRow("page AUTO") << QByteArray("P02BAS\r\n") << go;
    QTest::newRow("page 65") << QByteArray("P01T65\r\n") << e3;
    QTest::newRow("page channel 3") << QByteArray("P03T01\r\n") << e3;
    QTest::newRow("page A alone") << QByteArray("P01TA\r\n") << e3;
    QTest::newRow("start-up page") << QByteArray("SUS01B33\r\n") << go;
    QTest::newRow("start-up AUTO") << QByteArray("SUS02BAS\r\n") << go;
    QTest::newRow("start-up page 00") << QByteArray("SUS01B00\r\n") << e3;

    QTest::newRow("position 0") << QByteArray("CTDPO01T00\r\n") << go;
    QTest::newRow("position 15") << QByteArray("CTDPO01B15\r\n") << go;
    QTest::newRow("position 16") << QByteArray("CTDPO01T16\r\n") << e3;
    QTest::newRow("white level") << QByteArray("CWL3\r\n") << go;
    QTest::newRow("white level 4") << QByteArray("CWL4\r\n") << e3;
    QTest::newRow("edge level") << QByteArray("CEL0\r\n") << go;
    QTest::newRow("edge level missing") << QByteArray("CEL\r\n") << e3;

    QTest::newRow("address") << QByteArray("SA05\r\n") << go;
    QTest::newRow("address broadcast") << QByteArray("SA32\r\n") << go;
    QTest::newRow("address 33") << QByteArray("SA33\r\n") << e3;

    QTest::newRow("register 1") << "GR01" + blankGlyph() + "\r\n" << go;
    QTest::newRow("register 28") << "GR28" + patternGlyph('3') + "\r\n" << go;
    QTest::newRow("register 29") << "GR29" + blankGlyph() + "\r\n" << e3;
    QTest::newRow("register short") << "GR01" + times(575, "0") + "\r\n" << e3;
    QTest::newRow("insert") << QByteArray("G01C01T01I01\r\n") << go;
    QTest::newRow("insert last") << QByteArray("G28C02B64I14\r\n") << go;
    QTest::newRow("insert glyph 29") << QByteArray("G29C01T01I01\r\n") << e3;
    QTest::newRow("insert position 15") << QByteArray("G01C01T01I15\r\n") << e3;
    QTest::newRow("insert no C") << QByteArray("G01X01T01I01\r\n") << e3;

    // Read requests answered by a device with its initial settings.
    QTest::newRow("read times") << QByteArray("RAST01B\r\n") << "AST01B" + times(64, "02") + "\r\n";
    QTest::newRow("read flags") << QByteArray("RCTD01T\r\n") << "CTD01T" + times(64, "N") + "\r\n";
    QTest::newRow("read position") << QByteArray("RCTDPO02B\r\n") << QByteArray("CTDPO02B07\r\n");
    QTest::newRow("read edge") << QByteArray("RCEL\r\n") << QByteArray("CEL1\r\n");
    QTest::newRow("read white") << QByteArray("RCWL\r\n") << QByteArray("CWL1\r\n");
    QTest::newRow("read start-up") << QByteArray("RSUS01T\r\n") << QByteArray("SUS01T01\r\n");
    QTest::newRow("read page") << QByteArray("RP02B\r\n") << QByteArray("P02B01\r\n");
    QTest::newRow("read title") << QByteArray("RCT01T05\r\n") << "CT01T05" + blankTitle() + "\r\n";
    QTest::newRow("read glyph 1") << QByteArray("RFBMBA65\r\n")
                                  << "FBMBA65" + blankGlyph() + "\r\n";
    QTest::newRow("read space") << QByteArray("RFBM2121\r\n") << "FBM2121" + blankGlyph() + "\r\n";
    QTest::newRow("read title page 65") << QByteArray("RCT01T65\r\n") << e3;
    QTest::newRow("read lower-case code") << QByteArray("RFBMba65\r\n") << e3;
    QTest::newRow("read area letter") << QByteArray("RP01X\r\n") << e3;
    QTest::newRow("read long") << QByteArray("RCEL1\r\n") << e3;

    QTest::newRow("unknown") << QByteArray("XYZ\r\n") << e3;
    QTest::newRow("empty") << QByteArray("\r\n") << e3;
    QTest::newRow("LF without CR") << QByteArray("CWL2\n") << e3;
    QTest::newRow("no line end") << QByteArray("CWL2") << e3;
}

void SimDeviceTest::respond() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, reply);
    sim::DeviceModel device;
    QCOMPARE(device.respond(line), reply);
}

void SimDeviceTest::readBack_data() {
    QTest::addColumn<QByteArray>("push");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");

    QByteArray someTimes;
    for (int page = 0; page < 64; ++page)
        someTimes += QByteArray::number(10 + page % 90);
    QTest::newRow("times") << "AST02T" + someTimes << QByteArray("RAST02T") << "AST02T" + someTimes;
    QTest::newRow("time one page") << QByteArray("AST01B1099") << QByteArray("RAST01B")
                                   << "AST01B" + times(9, "02") + "99" + times(54, "02");
    QTest::newRow("flags") << "CTD02TFFF" + times(61, "N") << QByteArray("RCTD02T")
                           << "CTD02TFFF" + times(61, "N");
    QTest::newRow("flag one page")
        << QByteArray("CTD01B64OF") << QByteArray("RCTD01B") << "CTD01B" + times(63, "N") + "F";
    QTest::newRow("position") << QByteArray("CTDPO02T15") << QByteArray("RCTDPO02T")
                              << QByteArray("CTDPO02T15");
    QTest::newRow("edge level") << QByteArray("CEL3") << QByteArray("RCEL") << QByteArray("CEL3");
    QTest::newRow("white level") << QByteArray("CWL0") << QByteArray("RCWL") << QByteArray("CWL0");
    QTest::newRow("start-up page")
        << QByteArray("SUS02B33") << QByteArray("RSUS02B") << QByteArray("SUS02B33");
    QTest::newRow("start-up AUTO")
        << QByteArray("SUS01TAS") << QByteArray("RSUS01T") << QByteArray("SUS01TA");
    QTest::newRow("page") << QByteArray("P01B10") << QByteArray("RP01B") << QByteArray("P01B10");
    QTest::newRow("page AUTO") << QByteArray("P02BAS") << QByteArray("RP02B")
                               << QByteArray("P02BA");
    const QByteArray title = "3441" + QByteArray("3B7A") + "7C7F" + times(11, "2121");
    QTest::newRow("title stored") << "CT02B09" + title << QByteArray("RCT02B09")
                                  << "CT02B09" + title;
    QTest::newRow("title not stored")
        << "CN01T64" + title << QByteArray("RCT01T64") << "CT01T64" + title;
    QTest::newRow("glyph 1") << "GR01" + patternGlyph('1') << QByteArray("RFBMBA65")
                             << "FBMBA65" + patternGlyph('1');
    QTest::newRow("glyph 26") << "GR26" + patternGlyph('2') << QByteArray("RFBMBA7E")
                              << "FBMBA7E" + patternGlyph('2');
    QTest::newRow("glyph 27") << "GR27" + patternGlyph('3') << QByteArray("RFBMBB21")
                              << "FBMBB21" + patternGlyph('3');
    QTest::newRow("glyph 28") << "GR28" + patternGlyph('4') << QByteArray("RFBMBB22")
                              << "FBMBB22" + patternGlyph('4');
    QTest::newRow("glyph 5 inserted") << QByteArray("G05C01B12I03") << QByteArray("RCT01B12")
                                      << "CT01B12" + times(2, "2121") + "BA69" + times(11, "2121");
    QTest::newRow("glyph 28 inserted") << QByteArray("G28C02B64I14") << QByteArray("RCT02B64")
                                       << "CT02B64" + times(13, "2121") + "BB22";
}

void SimDeviceTest::readBack() {
    QFETCH(QByteArray, push);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    sim::DeviceModel device;
    QCOMPARE(device.respond(push + "\r\n"), QByteArray("GO\r\n"));
    QCOMPARE(device.respond(request + "\r\n"), reply + "\r\n");
}

void SimDeviceTest::stateAfterCommands() {
    sim::Device device(3);
    QCOMPARE(device.slaveAddress(), 3);
    QCOMPARE(device.displayPosition(1), 7);
    QCOMPARE(device.respond("CT02B0934413B7A" + times(12, "2121") + "\r\n"), QByteArray("GO\r\n"));
    for (const char* line : {"CTD01T64OF\r\n", "AST02T0599\r\n", "SUS01BAS\r\n", "P02T40\r\n",
                             "CTDPO02B00\r\n", "CWL3\r\n", "CEL0\r\n", "SA31\r\n"})
        QCOMPARE(device.respond(line), QByteArray("GO\r\n"));

    sim::DeviceModel::TitleCodes title;
    title.fill(0x2121);
    title[0] = 0x3441;
    title[1] = 0x3B7A;
    QVERIFY(device.titleCodes(3, 8) == title);
    QVERIFY(!device.titleShown(0, 63));
    QVERIFY(device.titleShown(0, 62));
    QCOMPARE(device.switchTime(2, 4), 99);
    QCOMPARE(device.startupPage(1), sim::DeviceModel::autoPage);
    QCOMPARE(device.displayPage(2), 39);
    QCOMPARE(device.displayPosition(3), 0);
    QCOMPARE(device.whiteLevel(), 3);
    QCOMPARE(device.edgeLevel(), 0);
    QCOMPARE(device.slaveAddress(), 31);
    // The broadcast choice is no address of its own: the device keeps 31.
    QCOMPARE(device.respond("SA32\r\n"), QByteArray("GO\r\n"));
    QCOMPARE(device.slaveAddress(), 31);
    // A refused command changes nothing.
    QCOMPARE(device.respond("CWL9\r\n"), QByteArray("E3\r\n"));
    QCOMPARE(device.whiteLevel(), 3);
}

void SimDeviceTest::glyphReadDuringAutomaticSwitching() {
    sim::DeviceModel device;
    const QByteArray bitmap = device.respond("RFBM2422\r\n");
    QCOMPARE(bitmap.size(), 7 + 576 + 2);
    QVERIFY(bitmap.startsWith("FBM2422"));
    QVERIFY(bitmap.mid(7, 576) != blankGlyph()); // a character, unlike the blank space
    QCOMPARE(device.respond("RFBM2422\r\n"), bitmap);

    QCOMPARE(device.respond("P02BAS\r\n"), QByteArray("GO\r\n"));
    QCOMPARE(device.respond("RFBM2422\r\n"), QByteArray("GN\r\n"));
    QCOMPARE(device.respond("RFBMBA65\r\n"), QByteArray("GN\r\n"));
    QCOMPARE(device.respond("P02B01\r\n"), QByteArray("GO\r\n"));
    QCOMPARE(device.respond("RFBM2422\r\n"), bitmap);
}

void SimDeviceTest::faults() {
    sim::Device device;
    device.refuseNext(2, "MENU");
    QCOMPARE(device.receive("CWL3\r\n").lines, QList<QByteArray>{"MENU\r\n"});
    QCOMPARE(device.receive("CEL3\r\n").lines, QList<QByteArray>{"MENU\r\n"});
    QCOMPARE(device.whiteLevel(), 1); // refused lines are not carried out
    QCOMPARE(device.receive("CEL2\r\n").lines, QList<QByteArray>{"GO\r\n"});

    device.ignoreNext(1);
    QVERIFY(device.receive("CWL2\r\n").lines.isEmpty());
    QCOMPARE(device.whiteLevel(), 1);

    device.holdNextReply();
    device.setReplyDelay(40);
    QVERIFY(device.receive("CWL2\r\n").lines.isEmpty());
    device.appendToNextReply("E0\r\n");
    device.splitNextReply(3);
    device.closeAfterNextReply();
    const sim::Reply joined = device.receive("RCWL\r\n");
    QCOMPARE(joined.lines, (QList<QByteArray>{"GO\r\n", "CWL2\r\n", "E0\r\n"}));
    QCOMPARE(joined.delayMs, 40);
    QCOMPARE(joined.pieces, 3);
    QVERIFY(joined.closeAfter);

    // One-shot faults are spent; the delay stays until reset.
    const sim::Reply plain = device.receive("RCEL\r\n");
    QCOMPARE(plain.lines, QList<QByteArray>{"CEL2\r\n"});
    QCOMPARE(plain.delayMs, 40);
    QCOMPARE(plain.pieces, 1);
    QVERIFY(!plain.closeAfter);

    QCOMPARE(device.receivedLines(),
             (QList<QByteArray>{"CWL3", "CEL3", "CEL2", "CWL2", "CWL2", "RCWL", "RCEL"}));
}

void SimDeviceTest::broadcastLeavesFaultsPending() {
    sim::Device device;
    device.refuseNext(1, "E3");
    QVERIFY(device.receive("CWL0\r\n", true).lines.isEmpty());
    QCOMPARE(device.whiteLevel(), 0);
    QCOMPARE(device.receive("CWL2\r\n").lines, QList<QByteArray>{"E3\r\n"});
    QCOMPARE(device.whiteLevel(), 0);
}

QTEST_GUILESS_MAIN(SimDeviceTest)
#include "tst_simdevice.moc"
