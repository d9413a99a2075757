#include "sim/Device.h"
#include "sim/PseudoTerminal_posix.h"
#include "sim/SerialDeviceBus.h"
#include "sim/SocketDeviceLink.h"
#include "sim/TcpDeviceServer.h"

#include <QSerialPort>
#include <QTcpSocket>
#include <QTest>
#include <array>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// While it lives, the next descriptor this process opens fails with EMFILE: the soft limit is
// the lowest free descriptor number.
class DescriptorShortage {
public:
    DescriptorShortage() {
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        rlimit lowered{};
        if (lowestFree < 0 || ::getrlimit(RLIMIT_NOFILE, &saved_) != 0)
            return;
        ::close(lowestFree);
        lowered = {rlim_t(lowestFree), saved_.rlim_max};
        inForce_ = ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~DescriptorShortage() {
        if (inForce_)
            ::setrlimit(RLIMIT_NOFILE, &saved_);
    }
    bool isInForce() const { return inForce_; }

private:
    rlimit saved_{};
    bool inForce_ = false;
};

// The program sends `count` glyph reads and reads nothing (a read buffer limit stops its port
// reading): the simulator's unsent replies stop near its limit, and all arrive in order later.
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

// The simulator's transports with real sockets on 127.0.0.1 and a real pseudo-terminal.
class SimTransportsTest : public QObject {
    Q_OBJECT
private slots:
    void programThatDoesNotReadIsHeldBack() {
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        QTcpSocket program;
        program.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(program.waitForConnected(2000));
        // Far more replies than the system holds for a peer that does not read.
        checkHeldBack(
            program, [&](qint64 size) { program.setReadBufferSize(size); },
            [&] { return server.unsentBytes(); }, sim::SocketDeviceLink::inputChunk,
            server.device(), 3000);
        if (QTest::currentTestFailed())
            return;

        sim::SerialDeviceBus line;
        QVERIFY(line.open());
        QSerialPort port(line.slavePath());
        QVERIFY(port.open(QIODevice::ReadWrite));
        checkHeldBack(
            port, [&](qint64 size) { port.setReadBufferSize(size); },
            [&] { return line.unsentBytes(); }, sim::PseudoTerminal::readChunk, line.device(),
            1000);
    }

    // One connection beyond the cap is closed at once; a place that comes free is taken again.
    void connectionsAreCapped() {
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
    // descriptors are there. (No QSignalSpy: without a free descriptor the undefined-behaviour
    // checker cannot look up its type and reports a false fault.)
    void acceptingResumesAfterDescriptorsRunOut() {
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        QStringList failures;
        connect(&server, &sim::TcpDeviceServer::acceptFailed, this,
                [&failures](const QString& reason) { failures.append(reason); });
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
        QVERIFY(!failures.first().isEmpty());
    }
};

QTEST_GUILESS_MAIN(SimTransportsTest)
#include "tst_simtransports.moc"
