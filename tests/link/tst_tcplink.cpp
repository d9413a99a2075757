#include "core/AppState.h"
#include "link/TcpLink.h"

#include <QDir>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <algorithm>
#include <memory>
#include <ranges>
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

    int entriesInUse() const {
        const auto devices = link_->connectionTable() | std::views::drop(1);
        return int(std::ranges::count(devices, 1, &Connection::inUse));
    }

    // Devices that connect to the listening link; waits until it holds them (96 at most).
    void connectDevices(int count) {
        const int expected = std::min(entriesInUse() + count, 96);
        for (int i = 0; i < count; ++i) {
            devices_.push_back(std::make_unique<QTcpSocket>());
            devices_.back()->connectToHost(QHostAddress::LocalHost, link_->listeningPort());
        }
        QTRY_COMPARE_WITH_TIMEOUT(entriesInUse(), expected, 5000);
    }

    QTcpSocket* deviceInEntry(int entry) const {
        const quint16 port = link_->connectionTable()[std::size_t(entry)].socket->peerPort();
        for (const auto& device : devices_)
            if (device->localPort() == port)
                return device.get();
        return nullptr;
    }

    // The client role's chosen host is the third of the list.
    void clientOf(const QTcpServer& device) {
        state_.link.hostCount = 3;
        state_.link.hostAddresses[2] = {127, 0, 0, 1};
        state_.link.selectedConnection = 2;
        state_.link.portNumberText.assign(QByteArray::number(device.serverPort()));
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

    // The failures reported, as "kind: text".
    QStringList errors() const {
        QStringList reported;
        for (const auto& arguments : *errors_) {
            const bool network =
                arguments[0].value<LineChannel::Failure>() == LineChannel::Failure::Network;
            reported << (network ? "network: " : "event: ") + arguments[1].toString();
        }
        return reported;
    }

    // A client connection that the device hangs up, a listening server started twice and three
    // devices: closing every socket leaves no descriptor open.
    void clientServerAndCloseAll() {
        const int before = openDescriptors();
        QSignalSpy connectedChanges(link_.get(), &TcpLink::tcpConnectedChanged);
        {
            QTcpServer host;
            QVERIFY(host.listen(QHostAddress::LocalHost, 0));
            clientOf(host);
            QSignalSpy connected(link_.get(), &TcpLink::clientConnected);
            QVERIFY(link_->connectToDevice());
            QVERIFY(!link_->tcpConnected() && connected.wait(2000));
            QTRY_VERIFY_WITH_TIMEOUT(host.hasPendingConnections(), 2000);
            std::unique_ptr<QTcpSocket> peer(host.nextPendingConnection());
            peer->disconnectFromHost();
            QTRY_VERIFY_WITH_TIMEOUT(!link_->hasClientSocket(), 2000);
            QVERIFY(link_->disconnectFromDevice());

            state_.link.portNumberText.assign("");
            QVERIFY(link_->startListening());
            const int listening = openDescriptors();
            QVERIFY(link_->startListening()); // a second start makes no second socket
            QCOMPARE(openDescriptors(), listening);
            connectDevices(3);
            QVERIFY(link_->chooseTarget(3));
            link_->closeAllSockets();
            QVERIFY(!link_->isListening());
            QCOMPARE(link_->connectionTable()[0].inUse, 1);
            QCOMPARE(entriesInUse(), 0);
            QTRY_COMPARE(
                std::ranges::count(devices_, QAbstractSocket::UnconnectedState, &QTcpSocket::state),
                std::ptrdiff_t(3)); // the devices see their connections end
            devices_.clear();
        }
        QCOMPARE(openDescriptors(), before);
        QCOMPARE(errors(), QStringList{});
        QList<bool> changes;
        for (const QList<QVariant>& change : std::as_const(connectedChanges))
            changes << change.first().toBool();
        QCOMPARE(changes, QList<bool>({true, false, true, false}));
    }

    // A refused connect comes through the socket's error event, reported once its handler has
    // returned; a port in use is refused at once, leaving no socket behind.
    void connectAndBindFailures() {
        {
            QTcpServer probe; // closed again at once: nobody listens on its port
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            clientOf(probe);
        }
        QVERIFY(link_->connectToDevice());
        QTRY_COMPARE_WITH_TIMEOUT(errors_->size(), 1, 2000);
        QVERIFY(!link_->hasClientSocket());
        QTcpServer occupant;
        QVERIFY(occupant.listen(QHostAddress::AnyIPv4, 0));
        state_.link.portNumberText.assign(QByteArray::number(occupant.serverPort()));
        const int descriptors = openDescriptors();
        QVERIFY(!link_->startListening());
        QVERIFY(!link_->isListening());
        QCOMPARE(openDescriptors(), descriptors);
        QCOMPARE(errors(), QStringList({"event: ソケットイベントにエラーが発生しました。",
                                        "network: Bindできません"}));
    }

    // 96 devices are taken and the 97th closed; only the chosen one is heard. The entry of a
    // device that leaves is freed and taken by the next one; when it was the chosen device, the
    // newcomer must not become the target unseen. Stop releases everything.
    void devicesTargetAndLeaving() {
        state_.link.tcpRole = TcpRole::Server;
        QVERIFY(link_->startListening());
        state_.link.selectedConnection = 5;
        QVERIFY(!link_->chooseTarget(1)); // nobody is there to choose
        QCOMPARE(state_.link.selectedConnection, -1);
        connectDevices(97);
        const auto closed = QAbstractSocket::UnconnectedState;
        QTRY_COMPARE(std::ranges::count(devices_, closed, &QTcpSocket::state), std::ptrdiff_t(1));
        QCOMPARE(link_->connectionTable()[96].addressText.view(), QByteArrayView("127.0.0.1"));
        QCOMPARE(link_->connectionCount(), 96);

        QSignalSpy received(link_.get(), &TcpLink::lineReceived);
        QVERIFY(!link_->tcpConnected() && link_->chooseTarget(2));
        QCOMPARE(link_->chosenAddressText(), QByteArray("127.0.0.1"));
        QVERIFY(link_->tcpConnected());
        QTcpSocket* target = deviceInEntry(2);
        deviceInEntry(1)->write("E3\r\n");
        target->write("GO\r\n");
        QVERIFY(received.wait(2000));
        QTRY_COMPARE(link_->connectionTable()[1].socket->bytesAvailable(), qint64(0)); // dropped
        QCOMPARE(link_->takeLine().value_or("none"), QByteArray("GO\r\n"));
        QVERIFY(!link_->takeLine());

        target->disconnectFromHost();
        QTRY_COMPARE(link_->connectionTable()[2].inUse, 0);
        QCOMPARE(link_->connectionTable()[2].addressText.view(), QByteArrayView(" "));
        QCOMPARE(state_.link.selectedConnection, -1);
        QCOMPARE(link_->chosenAddressText(), std::nullopt);
        QVERIFY(link_->tcpConnected()); // the operator still has to stop or choose again
        connectDevices(1);              // into entry 2, the one free
        QVERIFY(!link_->sendToTarget("CWL1\r\n"));
        QVERIFY(!link_->chooseTarget(97));
        QVERIFY(link_->chooseTarget(3));

        link_->stopServer();
        QVERIFY(!link_->isListening());
        QVERIFY(!link_->tcpConnected());
        QCOMPARE(state_.link.selectedConnection, -1);
        QCOMPARE(link_->connectionCount(), 0);
        QCOMPARE(errors(), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TcpLinkTest)
#include "tst_tcplink.moc"
