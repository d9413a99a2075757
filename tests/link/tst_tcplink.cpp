#include "core/AppState.h"
#include "link/TcpLink.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <memory>
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
};

QTEST_GUILESS_MAIN(TcpLinkTest)
#include "tst_tcplink.moc"
