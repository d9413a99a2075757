#include "sim/Device.h"

#include <QTest>

// The simulated device's answers where no program exchange reaches them.
class SimDeviceTest : public QObject {
    Q_OBJECT
private slots:
    // One line for each rule a line can break; a refused line changes nothing, even in part.
    void refusedLines() {
        sim::DeviceModel device;
        QCOMPARE(device.respond("CWL2\n"), QByteArray("E3\r\n"));
        const QList<QByteArray> lines{
            "XYZ",      "P03T01",     "SA33",
            "RFBMba65", "CTD01T01NO", "AST01T" + QByteArray("02").repeated(63) + "9A"};
        for (const QByteArray& line : lines)
            QVERIFY2(device.respond(line + "\r\n") == "E3\r\n", line.constData());
        QCOMPARE(device.respond("RAST01T\r\n"), "AST01T" + QByteArray("02").repeated(64) + "\r\n");
    }

    // Broadcast is no address of its own; the faults no other test asks for.
    void addressAndFaults() {
        sim::Device device(3);
        QCOMPARE(device.respond("SA32\r\n"), QByteArray("GO\r\n"));
        QCOMPARE(device.slaveAddress(), 3);

        QVERIFY(device.receive("CWL0\r\n", true).lines.isEmpty()); // broadcast: no answer
        device.holdNextReply();
        QVERIFY(device.receive("CEL2\r\n").lines.isEmpty());
        device.appendToNextReply("E0\r\n");
        device.closeAfterNextReply();
        const sim::Reply joined = device.receive("RCWL\r\n");
        QCOMPARE(joined.lines, (QList<QByteArray>{"GO\r\n", "CWL0\r\n", "E0\r\n"}));
        QVERIFY(joined.closeAfter);
    }

    // A simulator left running under a busy program keeps only the recent traffic, in order.
    void recordsKeepRecentLines() {
        sim::Device device;
        const int count = 100'000; // a hundred times what is kept
        for (int i = 0; i < count; ++i) {
            const QByteArray number = QByteArray::number(i);
            device.receive(number + "\r\n");
            device.recordReplySent(number);
        }
        for (const QList<QByteArray>* records : {&device.receivedLines(), &device.sentReplies()}) {
            QCOMPARE(records->size(), sim::Device::keptRecords);
            QCOMPARE(records->first(), QByteArray::number(count - sim::Device::keptRecords));
        }
    }
};

QTEST_GUILESS_MAIN(SimDeviceTest)
#include "tst_simdevice.moc"
