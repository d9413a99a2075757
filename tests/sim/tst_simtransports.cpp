#include "sim/Device.h"
#include "sim/SerialDeviceBus.h"
#include "sim/TcpDeviceClients.h"
#include "sim/TcpDeviceServer.h"

#include <QSerialPort>
#include <QSignalSpy>
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

void SimTransportsTest::tcpListenWithFaults() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    QTcpSocket program;
    program.connectToHost(QHostAddress::LocalHost, server.serverPort());
    QVERIFY(program.waitForConnected(2000));
    QByteArray read;
    program.write("CWL2\r\nRCEL\r\n");
    QTRY_COMPARE(read += program.readAll(), QByteArray("GO\r\nCEL1\r\n"));

    server.device()->refuseNext(1, "E3");
    program.write("CWL3\r\n");
    QTRY_COMPARE(read += program.readAll(), QByteArray("GO\r\nCEL1\r\nE3\r\n"));

    read.clear();
    QSignalSpy reads(&program, &QIODevice::readyRead);
    server.device()->splitNextReply(3);
    program.write("RCT01T01\r\n");
    QTRY_COMPARE(read += program.readAll(), "CT01T01" + QByteArray("2121").repeated(14) + "\r\n");
    QCOMPARE(reads.count(), 3);
}

void SimTransportsTest::tcpConnectThreeDevices() {
    QTcpServer program;
    QVERIFY(program.listen(QHostAddress::LocalHost));
    sim::TcpDeviceClients devices(3);
    devices.connectToProgram(QStringLiteral("127.0.0.1"), program.serverPort());
    QTRY_COMPARE(devices.connectedCount(), 3);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(program.hasPendingConnections() || program.waitForNewConnection(2000));
        QTcpSocket* socket = program.nextPendingConnection();
        socket->write("CWL2\r\n");
        QTRY_COMPARE(socket->bytesAvailable(), qint64(4));
        QCOMPARE(socket->readAll(), QByteArray("GO\r\n"));
    }
    for (int i = 0; i < 3; ++i) // each connection reached a device of its own
        QCOMPARE(devices.device(i)->receivedLines(), QList<QByteArray>{"CWL2"});
}

void SimTransportsTest::serialRs232cAndRs485() {
    sim::SerialDeviceBus rs232c;
    sim::SerialDeviceBus rs485({3, 17});
    QVERIFY2(rs232c.open() && rs485.open(), qPrintable(rs232c.errorString() + rs485.errorString()));
    QSerialPort single(rs232c.slavePath());
    QSerialPort program(rs485.slavePath());
    QVERIFY(single.open(QIODevice::ReadWrite) && program.open(QIODevice::ReadWrite));
    QByteArray read;
    single.write("CWL2\r\n");
    QTRY_COMPARE(read += single.readAll(), QByteArray("GO\r\n"));

    read.clear();
    program.write("03CEL2\r\n");
    QTRY_COMPARE(read += program.readAll(), QByteArray("03GO\r\n"));
    QVERIFY(rs485.deviceWithAddress(17)->receivedLines().isEmpty());
    // Broadcast: both act, neither answers; the next answer is the only thing on the line.
    program.write("FFCWL3\r\n17RCWL\r\n");
    QTRY_COMPARE(read += program.readAll(), QByteArray("03GO\r\n17CWL3\r\n"));
    QCOMPARE(rs485.deviceWithAddress(3)->whiteLevel(), 3);
}

QTEST_GUILESS_MAIN(SimTransportsTest)
#include "tst_simtransports.moc"
