#include "sim/Device.h"
#include "sim/SerialDeviceBus.h"
#include "sim/TcpDeviceClients.h"
#include "sim/TcpDeviceServer.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// The simulator's transports with real sockets on 127.0.0.1 and a real pseudo-terminal.
class SimTransportsTest : public QObject {
    Q_OBJECT
private slots:
    void tcpListenAssemblesLines();
    void tcpConnectThreeDevices();
    void serialRs232c();
    void serialRs485Addressing();
    void splitReplyArrivesInPieces();
    void refusedDelayedJoinedAndClosed();
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

void SimTransportsTest::tcpListenAssemblesLines() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
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
    QCOMPARE(server.device()->receivedLines(), (QList<QByteArray>{"CWL2", "RCWL", "RCEL"}));
    QCOMPARE(server.device()->sentReplies(), (QList<QByteArray>{"GO\r\n", "CWL2\r\n", "CEL1\r\n"}));
}

void SimTransportsTest::tcpConnectThreeDevices() {
    QTcpServer program;
    QVERIFY(program.listen(QHostAddress::LocalHost));
    sim::TcpDeviceClients devices(3);
    devices.connectToProgram(QStringLiteral("127.0.0.1"), program.serverPort());
    QTRY_COMPARE(devices.connectedCount(), 3);

    QList<QTcpSocket*> sockets;
    QList<Reader> readers(3);
    while (program.hasPendingConnections() || sockets.size() < 3) {
        QVERIFY(program.hasPendingConnections() || program.waitForNewConnection(2000));
        sockets.append(program.nextPendingConnection());
        readers[sockets.size() - 1].attach(sockets.last());
    }
    for (int i = 0; i < 3; ++i)
        sockets[i]->write("CWL" + QByteArray::number(i + 1) + "\r\n");
    for (int i = 0; i < 3; ++i)
        QTRY_COMPARE(readers[i].bytes, QByteArray("GO\r\n"));

    // Each connection reaches its own device.
    QList<int> levels;
    QList<quint16> ports;
    for (int i = 0; i < 3; ++i) {
        levels.append(devices.device(i)->whiteLevel());
        ports.append(devices.localPort(i));
    }
    std::sort(levels.begin(), levels.end());
    QCOMPARE(levels, (QList<int>{1, 2, 3}));
    for (QTcpSocket* socket : sockets)
        QVERIFY(ports.contains(socket->peerPort()));

    QSignalSpy lost(&devices, &sim::TcpDeviceClients::deviceDisconnected);
    sockets[1]->disconnectFromHost();
    QTRY_COMPARE(lost.size(), 1);
    QCOMPARE(devices.connectedCount(), 2);
}

void SimTransportsTest::serialRs232c() {
    sim::SerialDeviceBus bus;
    QVERIFY2(bus.open(), qPrintable(bus.errorString()));
    QVERIFY(!bus.isRs485());
    QSerialPort program(bus.slavePath());
    QVERIFY2(program.open(QIODevice::ReadWrite), qPrintable(program.errorString()));
    Reader reader;
    reader.attach(&program);

    // XON/XOFF bytes on the line are no part of a command.
    program.write("\x11"
                  "CWL2\r\n\x13");
    QTRY_COMPARE(reader.bytes, QByteArray("GO\r\n"));
    QCOMPARE(bus.device()->receivedLines(), QList<QByteArray>{"CWL2"});
    QCOMPARE(bus.device()->whiteLevel(), 2);
}

void SimTransportsTest::serialRs485Addressing() {
    sim::SerialDeviceBus bus({3, 17});
    QVERIFY2(bus.open(), qPrintable(bus.errorString()));
    const QString link = QDir::temp().filePath(
        QStringLiteral("zev530tq-sim-test-%1").arg(QCoreApplication::applicationPid()));
    QVERIFY2(bus.linkSlave(link), qPrintable(bus.errorString()));
    QCOMPARE(QFile::symLinkTarget(link), bus.slavePath());
    sim::Device* three = bus.deviceWithAddress(3);
    sim::Device* seventeen = bus.deviceWithAddress(17);
    QVERIFY(three && seventeen);

    QSerialPort program(link);
    QVERIFY2(program.open(QIODevice::ReadWrite), qPrintable(program.errorString()));
    Reader reader;
    reader.attach(&program);

    program.write("03CEL2\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("03GO\r\n"));
    QCOMPARE(three->edgeLevel(), 2);
    QCOMPARE(seventeen->edgeLevel(), 1);
    QVERIFY(seventeen->receivedLines().isEmpty());

    // Broadcast: both act, neither answers; the next answer is the only thing on the line.
    program.write("FFCWL3\r\n");
    QTRY_COMPARE(seventeen->receivedLines(), QList<QByteArray>{"CWL3"});
    QCOMPARE(three->receivedLines().last(), QByteArray("CWL3"));
    program.write("17RCWL\r\n05CWL0\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("03GO\r\n17CWL3\r\n"));
    QCOMPARE(three->whiteLevel(), 3);
    QCOMPARE(seventeen->whiteLevel(), 3);
    QCOMPARE(three->receivedLines(), (QList<QByteArray>{"CEL2", "CWL3"}));

    // A new address takes effect for the next line; this one is answered under the old one.
    program.write("17SA05\r\n05RCEL\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("03GO\r\n17CWL3\r\n17GO\r\n05CEL1\r\n"));
    QCOMPARE(seventeen->slaveAddress(), 5);
}

void SimTransportsTest::splitReplyArrivesInPieces() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    QTcpSocket program;
    Reader reader;
    reader.attach(&program);
    program.connectToHost(QHostAddress::LocalHost, server.serverPort());
    QVERIFY(program.waitForConnected(2000));

    server.device()->splitNextReply(3);
    program.write("RCT01T01\r\n");
    const QByteArray reply = "CT01T01" + QByteArray("2121").repeated(14) + "\r\n";
    QTRY_COMPARE(reader.bytes, reply);
    QCOMPARE(reader.reads, 3);
    QCOMPARE(server.device()->sentReplies(), QList<QByteArray>{reply});
}

void SimTransportsTest::refusedDelayedJoinedAndClosed() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    QTcpSocket program;
    Reader reader;
    reader.attach(&program);
    program.connectToHost(QHostAddress::LocalHost, server.serverPort());
    QVERIFY(program.waitForConnected(2000));
    sim::Device* device = server.device();

    device->refuseNext(1, "E3");
    program.write("CWL2\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("E3\r\n"));
    QCOMPARE(device->whiteLevel(), 1);

    device->setReplyDelay(150);
    QElapsedTimer clock;
    clock.start();
    program.write("CWL2\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("E3\r\nGO\r\n"));
    QVERIFY(clock.elapsed() >= 150);
    device->setReplyDelay(0);

    // Two replies in one write: the first is held back until the second is ready.
    device->holdNextReply();
    program.write("RCWL\r\n");
    QTRY_COMPARE(device->receivedLines().size(), 3);
    program.write("RCEL\r\n");
    QTRY_COMPARE(reader.bytes, QByteArray("E3\r\nGO\r\nCWL2\r\nCEL1\r\n"));
    QCOMPARE(device->sentReplies().last(), QByteArray("CWL2\r\nCEL1\r\n"));

    device->closeAfterNextReply();
    QSignalSpy closed(&program, &QTcpSocket::disconnected);
    program.write("CEL0\r\n");
    QTRY_COMPARE(closed.size(), 1);
    QVERIFY(reader.bytes.endsWith("CEL1\r\nGO\r\n"));
}

QTEST_GUILESS_MAIN(SimTransportsTest)
#include "tst_simtransports.moc"
