#include "sim/Device.h"
#include "sim/SocketDeviceLink.h"
#include "sim/TcpDeviceServer.h"

#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <array>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// While it lives, the next descriptor this process opens fails with EMFILE: the soft limit is
// the lowest free descriptor number.
struct DescriptorShortage {
    DescriptorShortage() {
        const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (lowestFree < 0 || ::getrlimit(RLIMIT_NOFILE, &saved) != 0)
            return;
        ::close(lowestFree);
        const rlimit lowered{rlim_t(lowestFree), saved.rlim_max};
        inForce = ::setrlimit(RLIMIT_NOFILE, &lowered) == 0;
    }
    ~DescriptorShortage() {
        if (inForce)
            ::setrlimit(RLIMIT_NOFILE, &saved);
    }
    rlimit saved{};
    bool inForce = false;
};

} // namespace

// The simulator's TCP transport with real sockets on 127.0.0.1.
class SimTransportsTest : public QObject {
    Q_OBJECT
private slots:
    // The program sends glyph reads and reads nothing (a read buffer limit stops its socket
    // reading): the simulator's unsent replies stop near its limit, and all arrive in order later.
    void programThatDoesNotReadIsHeldBack() {
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        QTcpSocket program;
        program.connectToHost(QHostAddress::LocalHost, server.serverPort());
        QVERIFY(program.waitForConnected(2000));
        const int count = 3000; // far more replies than the system holds for a peer not reading
        const QByteArray request = "RFBM2422\r\n";
        const QByteArray reply = "FBM2422" + sim::DeviceModel::characterBitmap(0x2422) + "\r\n";
        // The replies to one read of input may go past the limit.
        const qsizetype bound =
            sim::ReplyWriter::outputLimit +
            (sim::SocketDeviceLink::inputChunk / request.size() + 1) * reply.size();
        qsizetype most = 0;
        connect(server.device(), &sim::Device::lineReceived, this,
                [&] { most = qMax(most, server.unsentBytes()); });
        program.setReadBufferSize(1024);
        program.write(request.repeated(count));
        QTRY_VERIFY(server.unsentBytes() >= sim::ReplyWriter::outputLimit);
        program.setReadBufferSize(0);
        QByteArray read;
        QTRY_COMPARE_WITH_TIMEOUT((read += program.readAll()).size(), reply.size() * count, 30000);
        QCOMPARE(read, reply.repeated(count));
        QVERIFY2(most <= bound, QByteArray::number(most).constData());
    }

    // One connection beyond the cap is closed at once; a place that comes free is taken again.
    void connectionsAreCapped() {
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        std::array<QTcpSocket, sim::TcpDeviceServer::maxConnections + 2> programs;
        for (int i = 0; i <= sim::TcpDeviceServer::maxConnections; ++i)
            programs[i].connectToHost(QHostAddress::LocalHost, server.serverPort());
        // The one refused and the one not yet used.
        QTRY_COMPARE(
            std::ranges::count(programs, QAbstractSocket::UnconnectedState, &QTcpSocket::state),
            std::ptrdiff_t(2));
        QCOMPARE(server.connectionCount(), sim::TcpDeviceServer::maxConnections);

        programs.front().disconnectFromHost();
        QTRY_COMPARE(server.connectionCount(), sim::TcpDeviceServer::maxConnections - 1);
        programs.back().connectToHost(QHostAddress::LocalHost, server.serverPort());
        QTRY_COMPARE(server.connectionCount(), sim::TcpDeviceServer::maxConnections);
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
            const DescriptorShortage shortage;
            QVERIFY(shortage.inForce);
            QTRY_VERIFY(!failures.isEmpty());
        }
        program.write("CWL2\r\n");
        QByteArray read;
        QTRY_COMPARE(read += program.readAll(), QByteArray("GO\r\n"));
    }
};

QTEST_GUILESS_MAIN(SimTransportsTest)
#include "tst_simtransports.moc"
