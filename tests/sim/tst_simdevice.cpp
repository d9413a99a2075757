#include "sim/Device.h"
#include "sim/LineAssembler.h"

#include <QTest>

class SimDeviceTest : public QObject {
    Q_OBJECT
private slots:
    // Every kind of command that changes a setting moves the revision, and the same command
    // again moves nothing: what watches the revision (the fuzz target) sees every change.
    void revisionMovesWithEverySetting() {
        const QList<QByteArray> lines{"CT01T01" + QByteArray("2422").repeated(14),
                                      "CN02B64" + QByteArray("2423").repeated(14),
                                      "CTD01T01OF",
                                      "CTD01B" + QByteArray("F").repeated(64),
                                      "AST02T0105",
                                      "AST02B" + QByteArray("07").repeated(64),
                                      "P01TAS",
                                      "SUS01B03",
                                      "CTDPO02T03",
                                      "CWL3",
                                      "CEL0",
                                      "SA05",
                                      "GR01" + QByteArray("F").repeated(576),
                                      "G01C01T01I03"};
        sim::DeviceModel device;
        for (const QByteArray& line : lines) {
            const quint64 before = device.revision();
            QCOMPARE(device.respond(line + "\r\n"), "GO\r\n");
            QVERIFY2(device.revision() > before, line.constData());
            const sim::DeviceModel changed = device;
            QCOMPARE(device.respond(line + "\r\n"), "GO\r\n");
            QVERIFY2(device == changed, line.constData());
        }
    }

    // Lines come in pieces and several in one read; a line beyond the bound keeps its first
    // bytes; a serial line loses its XON and XOFF bytes, others keep them.
    void linesAssembledFromReads() {
        using Lines = QList<QByteArray>;
        sim::LineAssembler socket;
        QCOMPARE(socket.feed("CW"), Lines());
        QCOMPARE(socket.feed("L2\r\n\021P01\n"), (Lines{"CWL2\r\n", "\021P01\n"}));
        const QByteArray longest(sim::LineAssembler::maxLineLength, 'A');
        QCOMPARE(socket.feed(longest.first(10)), Lines());
        QCOMPARE(socket.feed(longest + "BB\n\n"), (Lines{longest + '\n', "\n"}));

        sim::LineAssembler serial(true); // XON \021, XOFF \023
        QCOMPARE(serial.feed("\021CW\023L2\r\n"), Lines{"CWL2\r\n"});
        QCOMPARE(serial.feed(longest.chopped(1) + "\023BC\n"), Lines{longest.chopped(1) + "B\n"});
    }

    // A simulator left running under a busy program keeps only the recent traffic, in order.
    void recordsKeepRecentLines() {
        sim::Device device;
        const int count = 100'000; // a hundred times what is kept
        for (int i = 0; i < count; ++i) {
            device.receive(QByteArray::number(i) + "\r\n");
            device.recordReplySent(QByteArray::number(i));
        }
        for (const QList<QByteArray>* records : {&device.receivedLines(), &device.sentReplies()}) {
            QCOMPARE(records->size(), sim::Device::keptRecords);
            QCOMPARE(records->first(), QByteArray::number(count - sim::Device::keptRecords));
        }
    }
};

QTEST_GUILESS_MAIN(SimDeviceTest)
#include "tst_simdevice.moc"
