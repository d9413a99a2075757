#include "sim/Device.h"
#include "sim/SerialDeviceBus.h"
#include "sim/TcpDeviceClients.h"
#include "sim/TcpDeviceServer.h"

#include <QSerialPort>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// The simulator's transports with real sockets on 127.0.0.1 and a real pseudo-terminal.
class SimTransportsTest : public QObject {
    Q_OBJECT
private slots:
    void tcpListenWithFaults();
    void tcpConnectThreeDevices();
    void serialRs232cAndRs485();
};

namespace {

// What the program's side of a link has read, and in how many reads.
struct Reader {
    QByteArray bytes;
    int reads = 0;

    void attach(QIODevice* link) {
        QObject::connect(link, &QIODevice::readyRead, link, [this, link] {
            bytes += link->readAll();
            ++reads;
        });
    }
};

} // namespace

void SimTransportsTest::tcpListenWithFaults() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    sim::Device* device = server.device();
    QTcpSocket program;
    Reader reader;
    reader.attach(&program);
    program.connectToHost(QHostAddress::LocalHost, server.serverPort());
    QVERIFY(program.waitForConnected(2000));

    // One line in two writes, then two lines in one write.
    program.write("CW");
    program.flush();
    QTRY_COMPARE(server.connectionCount(), 1);
    program.write("L2\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("GO\r\n"));
    program.write("RCWL\r\nRCEL\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("GO\r\nCWL2\r\nCEL1\r\n"));

    reader = {};
    device->refuseNext(1, "E3");
    program.write("CWL3\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("E3\r\n"));
    QCOMPARE(device->whiteLevel(), 2);

    reader = {};
    device->splitNextReply(3);
    program.write("RCT01T01\r\n");
    QTRY_COMPARE(reader.bytes, "CT01T01" + QByteArray("2121").repeated(14) + "\r\n");
    QCOMPARE(reader.reads, 3);
}

void SimTransportsTest::tcpConnectThreeDevices() {
    QTcpServer program;
    QVERIFY(program.listen(QHostAddress::LocalHost));
    sim::TcpDeviceClients devices(3);
    devices.connectToProgram(QStringLiteral("127.0.0.1"), program.serverPort());
    QTRY_COMPARE(devices.connectedCount(), 3);

    QList<QTcpSocket*> sockets;
    QList<Reader> readers(3);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(program.hasPendingConnections() || program.waitForNewConnection(2000));
        sockets.append(program.nextPendingConnection());
        readers[i].attach(sockets[i]);
        sockets[i]->write("CWL" + QByteArray::number(i + 1) + "\r\n");
    }
    // Each connection reaches its own device.
    for (int i = 0; i < 3; ++i) {
        QTRY_COMPARE(readers[i].bytes, QByteArray("GO\r\n"));
        QCOMPARE(devices.localPort(i), sockets[devices.device(i)->whiteLevel() - 1]->peerPort());
    }
}

void SimTransportsTest::serialRs232cAndRs485() {
    sim::SerialDeviceBus rs232c;
    sim::SerialDeviceBus rs485({3, 17});
    QVERIFY2(rs232c.open() && rs485.open(), qPrintable(rs232c.errorString() + rs485.errorString()));
    QSerialPort single(rs232c.slavePath());
    QSerialPort program(rs485.slavePath());
    QVERIFY(single.open(QIODevice::ReadWrite) && program.open(QIODevice::ReadWrite));
    Reader singleReader;
    singleReader.attach(&single);
    Reader reader;
    reader.attach(&program);

    // XON/XOFF bytes on the line are no part of a command.
    single.write("\x11"
                 "CWL2\r\n\x13");
    QTRY_COMPARE(singleReader.bytes, QByteArray("GO\r\n"));
    QCOMPARE(rs232c.device()->receivedLines(), QList<QByteArray>{"CWL2"});

    sim::Device* three = rs485.deviceWithAddress(3);
    sim::Device* seventeen = rs485.deviceWithAddress(17);
    program.write("03CEL2\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("03GO\r\n"));
    QVERIFY(seventeen->receivedLines().isEmpty());

    // Broadcast: both act, neither answers; the next answer is the only thing on the line.
    program.write("FFCWL3\r\n");
    QTRY_COMPARE(seventeen->receivedLines(), QList<QByteArray>{"CWL3"});
    program.write("17RCWL\r\n05CWL0\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("03GO\r\n17CWL3\r\n"));
    QCOMPARE(three->whiteLevel(), 3);
    QCOMPARE(three->receivedLines(), (QList<QByteArray>{"CEL2", "CWL3"}));

    // A new address takes effect for the next line; this one is answered under the old one.
    program.write("17SA05\r\n05RCEL\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("03GO\r\n17CWL3\r\n17GO\r\n05CEL1\r\n"));
}

QTEST_GUILESS_MAIN(SimTransportsTest)
#include "tst_simtransports.moc"
