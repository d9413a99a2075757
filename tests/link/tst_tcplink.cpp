#include "app/AppState.h"
#include "link/TcpLink.h"
#include "protocol/MessageBoxes.h"
#include "support/RecordingPrompts.h"

#include <QDir>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <memory>
#include <vector>

namespace {

const std::array<std::uint8_t, 4> loopback{127, 0, 0, 1};

int openDescriptors() {
    return int(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot).size());
}

QByteArray portText(quint16 port) {
    return QByteArray::number(port).rightJustified(5, '0');
}

} // namespace

class TcpLinkTest : public QObject {
    Q_OBJECT

    AppState state_;
    RecordingPrompts prompts_;
    QObject activeDialog_;
    MessageBoxes boxes_{prompts_, state_};
    std::unique_ptr<TcpLink> link_;
    std::vector<std::unique_ptr<QTcpSocket>> devices_;

    int entriesInUse() const {
        return int(std::count_if(state_.connectionTable.begin() + 1, state_.connectionTable.end(),
                                 [](const Connection& entry) { return entry.inUse != 0; }));
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
        const QTcpSocket* accepted = state_.connectionTable[std::size_t(entry)].socket;
        for (const auto& device : devices_) {
            if (accepted && device->localPort() == accepted->peerPort())
                return device.get();
        }
        return nullptr;
    }

    void clientOf(const QTcpServer& device) {
        state_.hostCount = 3;
        state_.hostAddresses[2] = loopback;
        state_.selectedConnection = 2;
        state_.portNumberText.assign(portText(device.serverPort()));
    }

private slots:
    void init() {
        state_ = AppState{};
        prompts_.clear();
        state_.activeDialog = &activeDialog_;
        link_ = std::make_unique<TcpLink>(state_, boxes_);
        link_->resetConnectionTable();
        state_.portNumberText.assign(""); // port 0: the system picks a free one
    }

    void cleanup() {
        devices_.clear();
        link_.reset();
    }

    void portFromText() {
        QCOMPARE(::portFromText("09004"), quint16(9004));
        QCOMPARE(::portFromText(""), quint16(0)); // the system picks a free port
        QCOMPARE(::portFromText(" 80x"), quint16(80));
        QCOMPARE(::portFromText("65537"), quint16(1)); // cut to 16 bits
    }

    // Exchanges over the client connection are proven with the client dialog.
    void clientConnectsAndNoticesHangUp() {
        QTcpServer device;
        QVERIFY(device.listen(QHostAddress::LocalHost, 0));
        clientOf(device);
        QSignalSpy connected(link_.get(), &TcpLink::clientConnected);
        QVERIFY(link_->connectToDevice());
        QVERIFY(connected.wait(2000));
        QCOMPARE(state_.tcpConnected, 0); // the client dialog's connected step sets it
        QTRY_VERIFY_WITH_TIMEOUT(device.hasPendingConnections(), 2000);
        std::unique_ptr<QTcpSocket> peer(device.nextPendingConnection());

        // The device hangs up: later sends fail, tcpConnected waits for the operator.
        state_.tcpConnected = 1;
        peer->disconnectFromHost();
        QTRY_VERIFY_WITH_TIMEOUT(!link_->hasClientSocket(), 2000);
        QVERIFY(!link_->sendToTarget("CEL0\r\n"));
        QCOMPARE(state_.tcpConnected, 1);
        QCOMPARE(prompts_.texts(), QStringList{});
    }

    void refusedConnectIsASocketEventError() {
        {
            QTcpServer probe; // closed again at once: nobody listens on its port
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            clientOf(probe);
        }
        state_.tcpConnected = 1;
        QVERIFY(link_->connectToDevice());
        QTRY_COMPARE_WITH_TIMEOUT(prompts_.boxes.size(), 1, 2000);
        const MessageBoxRequest& box = prompts_.boxes.first();
        QCOMPARE(box.text, QStringLiteral("ソケットイベントにエラーが発生しました。"));
        QCOMPARE(box.owner, &activeDialog_);
        QVERIFY(!link_->hasClientSocket());
        QCOMPARE(state_.tcpConnected, 1);
    }

    void accepts96DevicesAndClosesThe97th() {
        QVERIFY(link_->startListening());
        const int descriptors = openDescriptors();
        QVERIFY(link_->startListening()); // a second start makes no second socket
        QCOMPARE(openDescriptors(), descriptors);

        QSignalSpy changed(link_.get(), &TcpLink::connectionsChanged);
        connectDevices(97);
        const auto closedDevices = [&] {
            return std::count_if(devices_.begin(), devices_.end(), [](const auto& device) {
                return device->state() == QAbstractSocket::UnconnectedState;
            });
        };
        QTRY_COMPARE_WITH_TIMEOUT(closedDevices(), 1, 5000);
        for (int entry = 1; entry <= 96; ++entry) {
            const Connection& connection = state_.connectionTable[std::size_t(entry)];
            QCOMPARE(connection.addressText.view(), QByteArrayView("127.0.0.1"));
            QCOMPARE(link_->findConnection(connection.socket), entry);
        }
        QCOMPARE(state_.connectionTable[0].inUse, 1);
        QCOMPARE(changed.size(), 96);
        QCOMPARE(prompts_.texts(), QStringList{});
    }

    void bindOnPortInUse() {
        auto occupant = std::make_unique<QTcpServer>();
        QVERIFY(occupant->listen(QHostAddress::AnyIPv4, 0));
        const quint16 port = occupant->serverPort();
        state_.portNumberText.assign(portText(port));
        const int descriptors = openDescriptors();
        QVERIFY(!link_->startListening());
        QCOMPARE(prompts_.texts(), QStringList{"Bindできません"});
        QCOMPARE(prompts_.boxes.first().icon, BoxIcon::Stop);
        QVERIFY(!link_->isListening());
        QCOMPARE(openDescriptors(), descriptors);

        occupant.reset(); // a later start begins afresh
        QVERIFY(link_->startListening());
        QCOMPARE(link_->listeningPort(), port);
    }

    // Only the chosen device is heard (what is sent reaches it alone: see the server dialog). The
    // entry of a device that leaves is freed and taken by the next one; when it was the chosen
    // device, the newcomer must not become the target unseen.
    void leavingTargetIsNotReplacedUnseen() {
        state_.tcpRole = 1;
        QVERIFY(link_->startListening());
        connectDevices(2);
        QSignalSpy received(link_.get(), &TcpLink::targetBytesReceived);
        state_.selectedConnection = -1;
        QVERIFY(!link_->sendToTarget("CEL0\r\n"));

        state_.selectedConnection = 2;
        state_.tcpConnected = 1;
        QTcpSocket* target = deviceInEntry(2);
        QTcpSocket* other = deviceInEntry(1);
        QVERIFY(target && other);
        other->write("E3\r\n");
        target->write("GO\r\n");
        QVERIFY(received.wait(2000));
        QTRY_COMPARE(state_.connectionTable[1].socket->bytesAvailable(), qint64(0)); // dropped
        QCOMPARE(received.size(), 1);
        QCOMPARE(received.first().first().toByteArray(), QByteArray("GO\r\n"));
        QCOMPARE(other->bytesAvailable(), qint64(0));

        QSignalSpy changed(link_.get(), &TcpLink::connectionsChanged);
        target->disconnectFromHost();
        QVERIFY(changed.wait(2000));
        const Connection& freed = state_.connectionTable[2];
        QCOMPARE(freed.inUse, 0);
        QCOMPARE(freed.socket, nullptr);
        QCOMPARE(freed.addressText.view(), QByteArrayView(" "));
        QCOMPARE(state_.selectedConnection, -1);
        QCOMPARE(state_.tcpConnected, 1); // the operator still has to stop or choose again
        connectDevices(1);                // the lowest free entry is taken again
        QCOMPARE(state_.connectionTable[2].inUse, 1);
        QCOMPARE(entriesInUse(), 2);
        QVERIFY(!link_->sendToTarget("CWL1\r\n"));
        QCOMPARE(prompts_.texts(), QStringList{});
    }

    void closeAllSocketsLeavesNoSocketOpen() {
        const int before = openDescriptors();
        {
            QTcpServer clientPeer;
            QVERIFY(clientPeer.listen(QHostAddress::LocalHost, 0));
            clientOf(clientPeer);
            QSignalSpy connected(link_.get(), &TcpLink::clientConnected);
            QVERIFY(link_->connectToDevice());
            QVERIFY(connected.wait(2000));
            state_.portNumberText.assign("");
            QVERIFY(link_->startListening());
            connectDevices(3);
            state_.selectedConnection = 2;
            state_.tcpConnected = 1;

            link_->closeAllSockets();
            QVERIFY(!link_->isListening());
            QVERIFY(!link_->hasClientSocket());
            QCOMPARE(state_.tcpConnected, 0);
            QCOMPARE(state_.connectionTable[0].inUse, 1);
            QCOMPARE(entriesInUse(), 0);
            for (const auto& device : devices_) // the devices see their connections end
                QTRY_COMPARE_WITH_TIMEOUT(device->state(), QAbstractSocket::UnconnectedState, 2000);
            devices_.clear();
        }
        QCOMPARE(openDescriptors(), before);
        QCOMPARE(prompts_.texts(), QStringList{});
    }
};

QTEST_GUILESS_MAIN(TcpLinkTest)
#include "tst_tcplink.moc"
