#include "core/AppState.h"
#include "link/TcpLink.h"

#include <QDir>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <memory>
#include <vector>

namespace {

int openDescriptors() {
    return int(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot).size());
}

} // namespace

class TcpLinkTest : public QObject {
    Q_OBJECT

    AppState state_;
    std::unique_ptr<TcpLink> link_;
    std::unique_ptr<QSignalSpy> errors_;
    std::vector<std::unique_ptr<QTcpSocket>> devices_;

    // Devices that connect to the listening link; waits until it holds them (96 at most).
    void connectDevices(int count) {
        const int expected = std::min(link_->connectionCount() + count, 96);
        for (int i = 0; i < count; ++i) {
            devices_.push_back(std::make_unique<QTcpSocket>());
            devices_.back()->connectToHost(QHostAddress::LocalHost, link_->listeningPort());
        }
        QTRY_COMPARE_WITH_TIMEOUT(link_->connectionCount(), expected, 5000);
    }

    QTcpSocket* deviceInEntry(int entry) const {
        const quint16 port = link_->connectionTable()[std::size_t(entry)].socket->peerPort();
        for (const auto& device : devices_)
            if (device->localPort() == port)
                return device.get();
        return nullptr;
    }

private slots:
    void init() {
        state_ = AppState{};
        link_ = std::make_unique<TcpLink>(state_.link);
        errors_ = std::make_unique<QSignalSpy>(link_.get(), &TcpLink::errorOccurred);
        link_->resetConnectionTable();
        state_.link.portNumberText.assign(""); // port 0: the system picks a free one
    }

    void cleanup() {
        devices_.clear();
        errors_.reset();
        link_.reset();
    }

    // A client connection that the device hangs up, a listening server started twice and three
    // devices: closing every socket leaves no descriptor open.
    void clientServerAndCloseAll() {
        const int before = openDescriptors();
        {
            QTcpServer host;
            QVERIFY(host.listen(QHostAddress::LocalHost, 0));
            state_.link.hostCount = 3;
            state_.link.hostAddresses[2] = {127, 0, 0, 1};
            state_.link.selectedConnection = 2;
            state_.link.portNumberText.assign(QByteArray::number(host.serverPort()));
            QSignalSpy connected(link_.get(), &TcpLink::clientConnected);
            QVERIFY(link_->connectToDevice() && connected.wait(2000));
            QTRY_VERIFY(host.hasPendingConnections());
            std::unique_ptr<QTcpSocket> peer(host.nextPendingConnection());
            peer->disconnectFromHost();
            QTRY_VERIFY(!link_->hasClientSocket());
            QVERIFY(link_->disconnectFromDevice());

            state_.link.portNumberText.assign("");
            QVERIFY(link_->startListening() && link_->startListening()); // one socket only
            connectDevices(3);
            QVERIFY(link_->chooseTarget(3));
            link_->closeAllSockets();
            QVERIFY(!link_->isListening());
            QCOMPARE(link_->connectionCount(), 0);
            QTRY_COMPARE(
                std::ranges::count(devices_, QAbstractSocket::UnconnectedState, &QTcpSocket::state),
                std::ptrdiff_t(3));
            devices_.clear();
        }
        QCOMPARE(openDescriptors(), before);
        QCOMPARE(errors_->size(), 0);
    }

    // 96 devices are taken and the 97th closed; only the chosen one is heard. The entry of a
    // device that leaves is freed and taken by the next one; when it was the chosen device, the
    // newcomer must not become the target unseen. Stop releases everything.
    void devicesTargetAndLeaving() {
        state_.link.tcpRole = TcpRole::Server;
        QVERIFY(link_->startListening());
        connectDevices(97);
        QTRY_COMPARE(
            std::ranges::count(devices_, QAbstractSocket::UnconnectedState, &QTcpSocket::state),
            std::ptrdiff_t(1));
        QCOMPARE(link_->connectionCount(), 96);

        QSignalSpy received(link_.get(), &TcpLink::lineReceived);
        QVERIFY(!link_->tcpConnected() && link_->chooseTarget(2));
        QVERIFY(link_->tcpConnected());
        QTcpSocket* target = deviceInEntry(2);
        deviceInEntry(1)->write("E3\r\n");
        target->write("GO\r\n");
        QVERIFY(received.wait(2000));
        QCOMPARE(link_->takeLine().value_or("none"), QByteArray("GO\r\n"));
        QVERIFY(!link_->takeLine());

        target->disconnectFromHost();
        QTRY_COMPARE(link_->connectionTable()[2].inUse, 0);
        QCOMPARE(state_.link.selectedConnection, -1);
        QCOMPARE(link_->chosenAddressText(), std::nullopt);
        connectDevices(1); // into entry 2, the one free
        QVERIFY(!link_->sendToTarget("CWL1\r\n"));
        QVERIFY(link_->chooseTarget(2));

        link_->stopServer();
        QVERIFY(!link_->isListening() && !link_->tcpConnected());
        QCOMPARE(link_->connectionCount(), 0);
        QCOMPARE(errors_->size(), 0);
    }
};

QTEST_GUILESS_MAIN(TcpLinkTest)
#include "tst_tcplink.moc"
