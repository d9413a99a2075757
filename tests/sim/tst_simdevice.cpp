#include "sim/Device.h"

#include <QTest>

// The simulated device's answers to the program's command lines, byte for byte.
class SimDeviceTest : public QObject {
    Q_OBJECT
private slots:
    void readBack_data();
    void readBack();
    void refusedLines();
    void addressAndFaults();
    void recordsKeepRecentLines();
};

// Each kind of command, then the request that reads its field back.
void SimDeviceTest::readBack_data() {
    QTest::addColumn<QByteArray>("push");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("reply");
    const auto row = [](const char* name, const QByteArray& push, const char* request,
                        const QByteArray& reply) {
        QTest::newRow(name) << push << QByteArray(request) << reply;
    };
    const QByteArray times = QByteArray("0123456789").repeated(13).left(128);
    row("times", "AST02T" + times, "RAST02T", "AST02T" + times);
    row("time one page", "AST01B1099", "RAST01B",
        "AST01B" + QByteArray("02").repeated(9) + "99" + QByteArray("02").repeated(54));
    row("flags", "CTD02TFFF" + QByteArray(61, 'N'), "RCTD02T", "CTD02TFFF" + QByteArray(61, 'N'));
    row("flag one page", "CTD01B64OF", "RCTD01B", "CTD01B" + QByteArray(63, 'N') + "F");
    row("position", "CTDPO02T15", "RCTDPO02T", "CTDPO02T15");
    row("edge level", "CEL3", "RCEL", "CEL3");
    row("white level", "CWL0", "RCWL", "CWL0");
    row("start-up page", "SUS02B33", "RSUS02B", "SUS02B33");
    row("page AUTO", "P02BAS", "RP02B", "P02BA");
    const QByteArray title = "34413B7A7C7F" + QByteArray("2121").repeated(11);
    row("title stored", "CT02B09" + title, "RCT02B09", "CT02B09" + title);
    row("title not stored", "CN01T64" + title, "RCT01T64", "CT01T64" + title);
    const QByteArray glyph = QByteArray("0123456789ABCDEF").repeated(36);
    row("glyph 26", "GR26" + glyph, "RFBMBA7E", "FBMBA7E" + glyph);
    row("glyph 28 inserted", "G28C02B64I14", "RCT02B64",
        "CT02B64" + QByteArray("2121").repeated(13) + "BB22");
    row("glyph read while AUTO", "P01TAS", "RFBM2422", "GN");
}

void SimDeviceTest::readBack() {
    QFETCH(QByteArray, push);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, reply);
    sim::DeviceModel device;
    QCOMPARE(device.respond(push + "\r\n"), QByteArray("GO\r\n"));
    QCOMPARE(device.respond(request + "\r\n"), reply + "\r\n");
}

// One line for each rule a line can break; a refused line changes nothing, even in part.
void SimDeviceTest::refusedLines() {
    sim::DeviceModel device;
    QCOMPARE(device.respond("CWL2\n"), QByteArray("E3\r\n"));
    const QList<QByteArray> lines{
        "XYZ",        "P03T01",       "P01T65",
        "SA33",       "CWL22",        "RFBMba65",
        "CTD01T01NO", "G01X01T01I01", "AST01T" + QByteArray("02").repeated(63) + "9A"};
    for (const QByteArray& line : lines)
        QVERIFY2(device.respond(line + "\r\n") == "E3\r\n", line.constData());
    QCOMPARE(device.respond("RAST01T\r\n"), "AST01T" + QByteArray("02").repeated(64) + "\r\n");
}

// Broadcast is no address of its own. The transports carry out the Reply; see tst_simtransports.
void SimDeviceTest::addressAndFaults() {
    sim::Device device(3);
    QCOMPARE(device.respond("SA32\r\n"), QByteArray("GO\r\n"));
    QCOMPARE(device.slaveAddress(), 3);

    device.refuseNext(1, "MENU");
    QVERIFY(device.receive("CWL0\r\n", true).lines.isEmpty()); // broadcast: no answer
    QCOMPARE(device.receive("CWL3\r\n").lines, QList<QByteArray>{"MENU\r\n"});
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

// A simulator left running under a busy program keeps only the recent traffic, in order.
void SimDeviceTest::recordsKeepRecentLines() {
    sim::Device device;
    const int count = 100'000; // a hundred times what is kept
    for (int i = 0; i < count; ++i) {
        const QByteArray number = QByteArray::number(i);
        device.receive(number + "\r\n");
        device.recordReplySent(number);
    }
    const QByteArray firstKept = QByteArray::number(count - sim::Device::keptRecords);
    for (const QList<QByteArray>* records : {&device.receivedLines(), &device.sentReplies()}) {
        QCOMPARE(records->size(), sim::Device::keptRecords);
        QCOMPARE(records->first(), firstKept);
        QCOMPARE(records->last(), QByteArray::number(count - 1));
    }
}

QTEST_GUILESS_MAIN(SimDeviceTest)
#include "tst_simdevice.moc"
