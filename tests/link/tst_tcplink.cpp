#include "core/AppState.h"
#include "link/TcpLink.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <fcntl.h>
#include <memory>
#include <sched.h>
#include <unistd.h>
#include <vector>

class TcpLinkTest : public QObject {
    Q_OBJECT

private slots:
    // 96 devices are taken and the 97th closed; only the chosen one is heard. A newcomer in the
    // chosen device's freed entry is no target unseen.
    void devicesTargetAndLeaving() {
        AppState state;
        state.link.tcpRole = TcpRole::Server;
        state.link.portNumberText.assign(""); // port 0: the system picks a free one
        TcpLink link(state.link);
        QSignalSpy errors(&link, &TcpLink::errorOccurred);
        std::vector<std::unique_ptr<QTcpSocket>> devices;
        const auto connectDevices = [&](int count) { // waits until the link holds them
            const int expected = std::min(link.connectionCount() + count, 96);
            for (int i = 0; i < count; ++i) {
                devices.push_back(std::make_unique<QTcpSocket>());
                devices.back()->connectToHost(QHostAddress::LocalHost, link.listeningPort());
            }
            QTRY_COMPARE_WITH_TIMEOUT(link.connectionCount(), expected, 5000);
        };
        const auto deviceInEntry = [&](int entry) {
            const quint16 port = link.connectionTable()[std::size_t(entry)].socket->peerPort();
            return std::ranges::find(devices, port, &QTcpSocket::localPort)->get();
        };

        QVERIFY(link.startListening() && link.startListening()); // one socket only
        connectDevices(97);
        QTRY_COMPARE(
            std::ranges::count(devices, QAbstractSocket::UnconnectedState, &QTcpSocket::state),
            std::ptrdiff_t(1));
        QCOMPARE(link.connectionCount(), 96);

        QSignalSpy received(&link, &TcpLink::lineReceived);
        QVERIFY(!link.tcpConnected() && link.chooseTarget(2) && link.tcpConnected());
        QTcpSocket* target = deviceInEntry(2);
        deviceInEntry(1)->write("E3\r\n");
        target->write("GO\r\n");
        QVERIFY(received.wait(2000));
        QCOMPARE(link.takeLine().value_or("none"), QByteArray("GO\r\n"));
        QVERIFY(!link.takeLine());

        target->disconnectFromHost();
        QTRY_COMPARE(link.connectionTable()[2].inUse, 0);
        connectDevices(1); // into entry 2, the one free
        QVERIFY(!link.sendToTarget("CWL1\r\n"));
        QVERIFY(link.chooseTarget(2));
        link.closeAllSockets();
        QVERIFY(!link.isListening() && !link.tcpConnected());
        QCOMPARE(link.connectionCount(), 0);
        QCOMPARE(errors.size(), 0);
    }

    // Asked to, the server role takes only the devices of its host list and closes the others
    // at once, each said in the log; off by default (above).
    void onlyListedHostsWhenAsked() {
        AppState state;
        state.link.tcpRole = TcpRole::Server;
        state.link.portNumberText.assign("");
        state.link.listedHostsOnly = true;
        state.link.hostAddresses[0] = {10, 0, 0, 1};
        state.link.hostAddresses[1] = {127, 0, 0, 2};
        state.link.hostCount = 2;
        TcpLink link(state.link);
        QVERIFY(link.startListening());
        std::vector<std::unique_ptr<QTcpSocket>> strangers;
        for (int i = 0; i < 3; ++i) {
            QTest::ignoreMessage(
                QtWarningMsg,
                QRegularExpression(R"(^tcp 127\.0\.0\.1:\d+ refused: not in the host list$)"));
            strangers.push_back(std::make_unique<QTcpSocket>());
            strangers.back()->connectToHost(QHostAddress::LocalHost, link.listeningPort());
        }
        QTcpSocket listed;
        QVERIFY(listed.bind(QHostAddress("127.0.0.2")));
        listed.connectToHost(QHostAddress::LocalHost, link.listeningPort());
        QTRY_COMPARE(link.connectionCount(), 1);
        QTRY_VERIFY(std::ranges::all_of(strangers, [](const auto& socket) {
            return socket->state() == QAbstractSocket::UnconnectedState;
        }));
        QCOMPARE(link.connectionTable()[1].addressText.toByteArray(), "127.0.0.2");
    }

    // A device that vanishes without closing (its packets lost from now on) frees its entry,
    // and a chosen one stops being the target, as soon as the keep-alive probes go unanswered.
    // Packets are dropped in a network of this test's own, which needs root.
    void vanishedDeviceLeaves() {
        const int ownNetwork = ::open("/proc/self/ns/net", O_RDONLY);
        const auto restore = qScopeGuard([ownNetwork] {
            setns(ownNetwork, CLONE_NEWNET);
            ::close(ownNetwork);
        });
        if (unshare(CLONE_NEWNET) != 0 || QProcess::execute("ip", {"link", "set", "lo", "up"}) != 0)
            QSKIP("needs a network namespace of its own (root)");
        AppState state;
        state.link.tcpRole = TcpRole::Server;
        state.link.portNumberText.assign("");
        TcpLink link(state.link);
        link.setKeepAlive({1, 1, 2});
        QVERIFY(link.startListening());
        QTcpSocket device;
        device.connectToHost(QHostAddress::LocalHost, link.listeningPort());
        QTRY_COMPARE(link.connectionCount(), 1);
        QVERIFY(link.chooseTarget(TcpLink::firstConnection));
        QSignalSpy lost(&link, &TcpLink::lost);
        const QString drop = QStringLiteral("add table inet vanish; add chain inet vanish in { "
                                            "type filter hook input priority 0; };"
                                            " add rule inet vanish in tcp sport %1 drop")
                                 .arg(device.localPort());
        QCOMPARE(QProcess::execute("nft", {drop}), 0);
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(link.connectionCount(), 0, 15000);
        QVERIFY(clock.elapsed() < 10000);
        QVERIFY(!link.tcpConnected());
        QCOMPARE(lost.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TcpLinkTest)
#include "tst_tcplink.moc"
