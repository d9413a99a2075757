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

    // 96 devices are taken and the 97th closed; only the chosen one is heard. The entry of a
    // device that leaves is freed and taken by the next one; when it was the chosen device, the
    // newcomer must not become the target unseen. Stop releases everything; so does closing
    // every socket, which leaves no descriptor open.
    void devicesTargetAndLeaving() {
        const int descriptors = openDescriptors();
        state_.link.tcpRole = TcpRole::Server;
        QVERIFY(link_->startListening() && link_->startListening()); // one socket only
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

        QVERIFY(link_->startListening());
        connectDevices(3);
        QVERIFY(link_->chooseTarget(1));
        link_->closeAllSockets();
        QVERIFY(!link_->isListening() && !link_->tcpConnected());
        QCOMPARE(link_->connectionCount(), 0);
        devices_.clear();
        QTRY_COMPARE(openDescriptors(), descriptors);
        QCOMPARE(errors_->size(), 0);
    }
};

QTEST_GUILESS_MAIN(TcpLinkTest)
#include "tst_tcplink.moc"
