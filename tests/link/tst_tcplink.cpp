#include "app/AppState.h"
#include "link/TcpLink.h"
#include "protocol/MessageBoxes.h"
#include "support/RecordingPrompts.h"

#include <QDir>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

const std::array<std::uint8_t, 4> loopback{127, 0, 0, 1};

int openDescriptors() {
    return int(QDir("/proc/self/fd").entryList(QDir::NoDotAndDotDot).size());
}

// The lowest descriptor number not in use from `from` on.
int freeDescriptor(int from) {
    while (fcntl(from, F_GETFD) != -1)
        ++from;
    return from;
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
    std::unique_ptr<MessageBoxes> boxes_;
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

    void expectLinkFailure(const QString& text) {
        QCOMPARE(prompts_.texts(), QStringList{text});
        QCOMPARE(prompts_.boxes.first().caption, QStringLiteral("ZEV-530TQ"));
        QCOMPARE(prompts_.boxes.first().icon, BoxIcon::Stop);
        QCOMPARE(prompts_.boxes.first().owner, nullptr);
    }

private slots:
    void init() {
        state_ = AppState{};
        prompts_.clear();
        state_.activeDialog = &activeDialog_;
        boxes_ = std::make_unique<MessageBoxes>(prompts_, state_);
        link_ = std::make_unique<TcpLink>(state_, *boxes_);
        link_->resetConnectionTable();
        state_.portNumberText.assign(""); // port 0: the system picks a free one
    }

    void cleanup() {
        devices_.clear();
        link_.reset();
    }

    void portFromText_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("port");
        QTest::newRow("leading zero") << QByteArray("09004") << 9004;
        QTest::newRow("empty") << QByteArray("") << 0;
        QTest::newRow("blank and letter") << QByteArray(" 80x") << 80;
        QTest::newRow("cut to 16 bits") << QByteArray("65537") << 1;
    }

    void portFromText() {
        QFETCH(QByteArray, text);
        QFETCH(int, port);
        QCOMPARE(int(::portFromText(text)), port);
    }

    void clientConnectsAndExchanges() {
        QTcpServer device;
        QVERIFY(device.listen(QHostAddress::LocalHost, 0));
        clientOf(device);
        QSignalSpy connected(link_.get(), &TcpLink::clientConnected);
        QSignalSpy received(link_.get(), &TcpLink::targetBytesReceived);
        QVERIFY(link_->connectToDevice());
        QVERIFY(connected.wait(2000));
        QCOMPARE(state_.tcpConnected, 0); // the client dialog's connected step sets it
        QTRY_VERIFY_WITH_TIMEOUT(device.hasPendingConnections(), 2000);
        std::unique_ptr<QTcpSocket> peer(device.nextPendingConnection());

        QVERIFY(link_->sendToTarget("CEL0\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(peer->bytesAvailable(), qint64(6), 2000);
        QCOMPARE(peer->readAll(), QByteArray("CEL0\r\n"));
        peer->write("GO\r\n");
        QVERIFY(received.wait(2000));
        QCOMPARE(received.first().first().toByteArray(), QByteArray("GO\r\n"));

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
        QCOMPARE(box.caption, QStringLiteral("Error"));
        QCOMPARE(box.icon, BoxIcon::Stop);
        QCOMPARE(box.owner, &activeDialog_);
        QVERIFY(!link_->hasClientSocket());
        QCOMPARE(state_.tcpConnected, 1);
    }

    void connectFailingAtOnce_data() {
        QTest::addColumn<int>("host");
        QTest::addColumn<std::uint8_t>("octet");
        QTest::newRow("broadcast") << 0 << std::uint8_t(255);
        QTest::newRow("no address") << 0 << std::uint8_t(0);
        QTest::newRow("no host chosen") << -1 << std::uint8_t(127);
    }

    void connectFailingAtOnce() {
        QFETCH(int, host);
        QFETCH(std::uint8_t, octet);
        state_.hostAddresses[0].fill(octet);
        state_.selectedConnection = host;
        QVERIFY(!link_->connectToDevice());
        expectLinkFailure("接続できません");
        QVERIFY(!link_->hasClientSocket());
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
        QTcpSocket stranger;
        QCOMPARE(link_->findConnection(&stranger), 0);
    }

    void disconnectedDeviceFreesItsEntry() {
        QVERIFY(link_->startListening());
        connectDevices(2);
        QTcpSocket* first = deviceInEntry(1);
        QVERIFY(first);
        QSignalSpy changed(link_.get(), &TcpLink::connectionsChanged);
        first->disconnectFromHost();
        QVERIFY(changed.wait(2000));
        const Connection& freed = state_.connectionTable[1];
        QCOMPARE(freed.inUse, 0);
        QCOMPARE(freed.socket, nullptr);
        QCOMPARE(freed.addressText.view(), QByteArrayView(" "));
        QCOMPARE(state_.connectionTable[2].inUse, 1);

        connectDevices(1); // the lowest free entry is taken again
        QCOMPARE(state_.connectionTable[1].inUse, 1);
        QCOMPARE(prompts_.texts(), QStringList{});
    }

    // A device that takes over the entry of the chosen one that left must not become the target.
    void leavingTargetIsNotReplacedUnseen() {
        state_.tcpRole = 1;
        QVERIFY(link_->startListening());
        connectDevices(2);
        state_.selectedConnection = 1;
        state_.tcpConnected = 1;
        QSignalSpy changed(link_.get(), &TcpLink::connectionsChanged);
        deviceInEntry(1)->disconnectFromHost();
        QVERIFY(changed.wait(2000));
        QCOMPARE(state_.selectedConnection, -1);
        QCOMPARE(state_.tcpConnected, 1); // the operator still has to stop or choose again

        connectDevices(1);
        QCOMPARE(state_.connectionTable[1].inUse, 1);
        QVERIFY(!link_->sendToTarget("CWL1\r\n"));
    }

    void bindOnPortInUse() {
        auto occupant = std::make_unique<QTcpServer>();
        QVERIFY(occupant->listen(QHostAddress::AnyIPv4, 0));
        const quint16 port = occupant->serverPort();
        state_.portNumberText.assign(portText(port));
        const int descriptors = openDescriptors();
        QVERIFY(!link_->startListening());
        expectLinkFailure("Bindできません");
        QVERIFY(!link_->isListening());
        QCOMPARE(openDescriptors(), descriptors);

        occupant.reset(); // a later start begins afresh
        QVERIFY(link_->startListening());
        QCOMPARE(link_->listeningPort(), port);
    }

    void acceptFailureIsReported() {
        QVERIFY(link_->startListening());
        // Room for the device's socket but not for the one that accepting it needs.
        rlimit normal{};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &normal), 0);
        rlimit tight = normal;
        tight.rlim_cur = rlim_t(freeDescriptor(freeDescriptor(0) + 1));
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &tight), 0);
        auto restore = qScopeGuard([&] { setrlimit(RLIMIT_NOFILE, &normal); });
        devices_.push_back(std::make_unique<QTcpSocket>());
        devices_.back()->connectToHost(QHostAddress::LocalHost, link_->listeningPort());
        QTRY_VERIFY_WITH_TIMEOUT(!prompts_.boxes.isEmpty(), 2000);
        restore.dismiss();
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &normal), 0);

        const QString expected = QStringLiteral("WINSOCK.DLLの accept() からのエラー。[%1]")
                                     .arg(int(QAbstractSocket::SocketResourceError));
        QCOMPARE(prompts_.boxes.first().text, expected);
        QCOMPARE(prompts_.boxes.first().caption, QStringLiteral("ZEV-530TQ"));
        // Accepting goes on once the descriptors are back: the device waiting is taken.
        QTRY_COMPARE_WITH_TIMEOUT(state_.connectionTable[1].inUse, 1, 2000);
    }

    void onlyTheTargetIsHeard() {
        state_.tcpRole = 1;
        QVERIFY(link_->startListening());
        connectDevices(2);
        QSignalSpy received(link_.get(), &TcpLink::targetBytesReceived);
        state_.selectedConnection = -1;
        QVERIFY(!link_->sendToTarget("CEL0\r\n"));

        state_.selectedConnection = 2;
        QTcpSocket* target = deviceInEntry(2);
        QTcpSocket* other = deviceInEntry(1);
        QVERIFY(target && other);
        QVERIFY(link_->sendToTarget("CWL1\r\n"));
        QTRY_COMPARE_WITH_TIMEOUT(target->bytesAvailable(), qint64(6), 2000);
        QCOMPARE(target->readAll(), QByteArray("CWL1\r\n"));

        other->write("E3\r\n");
        target->write("GO\r\n");
        QVERIFY(received.wait(2000));
        QTRY_COMPARE(state_.connectionTable[1].socket->bytesAvailable(), qint64(0)); // dropped
        QCOMPARE(received.size(), 1);
        QCOMPARE(received.first().first().toByteArray(), QByteArray("GO\r\n"));
        QCOMPARE(other->bytesAvailable(), qint64(0));
    }

    void bytesKeepTheirOrderWhileABoxIsOpen() {
        state_.tcpRole = 1;
        QVERIFY(link_->startListening());
        connectDevices(1);
        state_.selectedConnection = 1;
        QTcpSocket* device = deviceInEntry(1);
        QVERIFY(device);
        QByteArray handled;
        connect(link_.get(), &TcpLink::targetBytesReceived, this, [&](const QByteArray& bytes) {
            handled += bytes;
            if (bytes.startsWith("A")) {
                // The reply handler shows a box: the event loop runs while more bytes arrive.
                device->write("B\r\n");
                QTest::qWait(100);
            }
        });
        device->write("A\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(handled, QByteArray("A\r\nB\r\n"), 2000);
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
