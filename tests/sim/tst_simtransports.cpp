#include "DescriptorShortage_posix.h"
#include "sim/Device.h"
#include "sim/PseudoTerminal_posix.h"
#include "sim/SerialDeviceBus.h"
#include "sim/SocketDeviceLink.h"
#include "sim/TcpDeviceClients.h"
#include "sim/TcpDeviceServer.h"

#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <array>
#include <functional>

// The simulator's transports with real sockets on 127.0.0.1 and a real pseudo-terminal.
class SimTransportsTest : public QObject {
    Q_OBJECT
private slots:
    void tcpListenWithFaults();
    void tcpConnectThreeDevices();
    void serialRs232cAndRs485();
    void programThatDoesNotReadIsHeldBack();
    void connectionsAreCapped();
    void acceptingResumesAfterDescriptorsRunOut();
};

namespace {

// The program sends `count` glyph reads (10 bytes each, 585 of reply) and reads nothing: the
// simulator's unsent replies stop near its limit, and every reply arrives in order once the
// program reads. `setReadBufferSize` stands for the port's own: with a limit the port stops
// reading the line, with 0 it reads everything.
void checkHeldBack(QIODevice& program, const std::function<void(qint64)>& setReadBufferSize,
                   const std::function<qsizetype()>& unsentBytes, qsizetype simulatorReadSize,
                   sim::Device* device, int count) {
    const QByteArray request = "RFBM2422\r\n";
    const QByteArray reply = "FBM2422" + sim::DeviceModel::characterBitmap(0x2422) + "\r\n";
    // The replies to one read of input may go past the limit.
    const qsizetype bound =
        sim::ReplyWriter::outputLimit + (simulatorReadSize / request.size() + 1) * reply.size();
    qsizetype most = 0;
    QObject::connect(device, &sim::Device::lineReceived, device,
                     [&] { most = qMax(most, unsentBytes()); });
    setReadBufferSize(1024);
    program.write(request.repeated(count));
    QTRY_VERIFY(unsentBytes() >= sim::ReplyWriter::outputLimit);
    setReadBufferSize(0);
    QByteArray read;
    QTRY_COMPARE_WITH_TIMEOUT((read += program.readAll()).size(), reply.size() * count, 30000);
    QCOMPARE(read, reply.repeated(count));
    QVERIFY2(most <= bound, QByteArray::number(most).constData());
    device->disconnect(device);
}

} // namespace

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

void SimTransportsTest::programThatDoesNotReadIsHeldBack() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    QTcpSocket program;
    program.connectToHost(QHostAddress::LocalHost, server.serverPort());
    QVERIFY(program.waitForConnected(2000));
    // Far more replies than the operating system holds for a peer that does not read.
    checkHeldBack(
        program, [&](qint64 size) { program.setReadBufferSize(size); },
        [&] { return server.unsentBytes(); }, sim::SocketDeviceLink::inputChunk, server.device(),
        3000);
    if (QTest::currentTestFailed())
        return;

    sim::SerialDeviceBus line;
    QVERIFY(line.open());
    QSerialPort port(line.slavePath());
    QVERIFY(port.open(QIODevice::ReadWrite));
    checkHeldBack(
        port, [&](qint64 size) { port.setReadBufferSize(size); },
        [&] { return line.unsentBytes(); }, sim::PseudoTerminal::readChunk, line.device(), 1000);
}

// One connection more than the device has room for is closed at once; the others are served,
// and a place that comes free is taken again.
void SimTransportsTest::connectionsAreCapped() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    std::array<QTcpSocket, sim::TcpDeviceServer::maxConnections + 2> programs;
    const auto unconnected = [&] {
        return std::count_if(programs.begin(), programs.end(), [](const QTcpSocket& program) {
            return program.state() == QAbstractSocket::UnconnectedState;
        });
    };
    for (int i = 0; i <= sim::TcpDeviceServer::maxConnections; ++i)
        programs[i].connectToHost(QHostAddress::LocalHost, server.serverPort());
    QTRY_COMPARE(unconnected(), 2); // the one refused and the one not yet used
    QCOMPARE(server.connectionCount(), sim::TcpDeviceServer::maxConnections);

    programs.front().disconnectFromHost();
    QTRY_COMPARE(server.connectionCount(), sim::TcpDeviceServer::maxConnections - 1);
    QTcpSocket& latest = programs.back();
    latest.connectToHost(QHostAddress::LocalHost, server.serverPort());
    QVERIFY(latest.waitForConnected(2000));
    latest.write("CWL2\r\n");
    QByteArray read;
    QTRY_COMPARE(read += latest.readAll(), QByteArray("GO\r\n"));
}

// QTcpServer stops accepting for good after a failed accept; the device accepts again once
// descriptors are there.
void SimTransportsTest::acceptingResumesAfterDescriptorsRunOut() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    QSignalSpy failures(&server, &sim::TcpDeviceServer::acceptFailed);
    QTcpSocket program;
    program.connectToHost(QHostAddress::LocalHost, server.serverPort());
    {
        DescriptorShortage shortage;
        QVERIFY(shortage.isInForce());
        QTRY_VERIFY(!failures.isEmpty());
    }
    QTRY_COMPARE(server.connectionCount(), 1);
    program.write("CWL2\r\n");
    QByteArray read;
    QTRY_COMPARE(read += program.readAll(), QByteArray("GO\r\n"));
    QVERIFY(!failures.first().first().toString().isEmpty());
}

QTEST_GUILESS_MAIN(SimTransportsTest)
#include "tst_simtransports.moc"
