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

// A port on which nobody listens.
quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

} // namespace

class TcpLinkTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void portFromText_data();
    void portFromText();
    void clientConnectsAndExchanges();
    void refusedConnectIsASocketEventError();
    void connectFailingAtOnce_data();
    void connectFailingAtOnce();
    void secondStartKeepsTheListeningSocket();
    void accepts96DevicesAndClosesThe97th();
    void disconnectedDeviceFreesItsEntry();
    void bindOnPortInUse();
    void acceptFailureIsReported();
    void onlyTheTargetIsHeard();
    void bytesKeepTheirOrderWhileABoxIsOpen();
    void closeAllSocketsLeavesNoSocketOpen();

private:
    // Devices connected to the listening link; waits until the link holds them all.
    void connectDevices(int count);
    QTcpSocket* deviceInEntry(int entry);

    AppState state_;
    RecordingPrompts prompts_;
    QObject activeDialog_;
    std::unique_ptr<MessageBoxes> boxes_;
    std::unique_ptr<TcpLink> link_;
    std::vector<std::unique_ptr<QTcpSocket>> devices_;
};

void TcpLinkTest::init() {
    state_ = AppState{};
    prompts_.clear();
    state_.activeDialog = &activeDialog_;
    boxes_ = std::make_unique<MessageBoxes>(prompts_, state_);
    link_ = std::make_unique<TcpLink>(state_, *boxes_);
    link_->resetConnectionTable();
}

void TcpLinkTest::cleanup() {
    devices_.clear();
    link_.reset();
}

void TcpLinkTest::connectDevices(int count) {
    const int inUse =
        int(std::count_if(state_.connectionTable.begin() + 1, state_.connectionTable.end(),
                          [](const Connection& entry) { return entry.inUse; }));
    for (int i = 0; i < count; ++i) {
        devices_.push_back(std::make_unique<QTcpSocket>());
        devices_.back()->connectToHost(QHostAddress::LocalHost, link_->listeningPort());
    }
    const auto held = [&] {
        return int(std::count_if(state_.connectionTable.begin() + 1, state_.connectionTable.end(),
                                 [](const Connection& entry) { return entry.inUse; }));
    };
    QTRY_COMPARE_WITH_TIMEOUT(held(), std::min(inUse + count, 96), 5000);
}

QTcpSocket* TcpLinkTest::deviceInEntry(int entry) {
    const QTcpSocket* accepted = state_.connectionTable[std::size_t(entry)].socket;
    for (const auto& device : devices_) {
        if (accepted && device->localPort() == accepted->peerPort())
            return device.get();
    }
    return nullptr;
}

void TcpLinkTest::portFromText_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("port");
    QTest::newRow("leading zero") << QByteArray("09004") << 9004;
    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("blank and letter") << QByteArray(" 80x") << 80;
    QTest::newRow("letters") << QByteArray("abc") << 0;
    QTest::newRow("largest") << QByteArray("65535") << 65535;
    QTest::newRow("cut to 16 bits") << QByteArray("65537") << 1;
}

void TcpLinkTest::portFromText() {
    QFETCH(QByteArray, text);
    QFETCH(int, port);
    QCOMPARE(int(::portFromText(text)), port);
}

void TcpLinkTest::clientConnectsAndExchanges() {
    QTcpServer device;
    QVERIFY(device.listen(QHostAddress::LocalHost, 0));
    state_.hostCount = 3;
    state_.hostAddresses[2] = loopback;
    state_.selectedConnection = 2;
    state_.portNumberText.assign(portText(device.serverPort()));

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

    peer->write("G");
    QVERIFY(received.wait(2000));
    peer->write("O\r\n");
    QByteArray reply;
    QTRY_COMPARE_WITH_TIMEOUT(
        [&] {
            for (const auto& arguments : std::as_const(received))
                reply += arguments.at(0).toByteArray();
            received.clear();
            return reply;
        }(),
        QByteArray("GO\r\n"), 2000);
    QCOMPARE(prompts_.texts(), QStringList{});

    // The device hangs up: later sends fail, tcpConnected waits for the operator.
    state_.tcpConnected = 1;
    peer->disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(!link_->hasClientSocket(), 2000);
    QVERIFY(!link_->sendToTarget("CEL0\r\n"));
    QCOMPARE(state_.tcpConnected, 1);
    QCOMPARE(prompts_.texts(), QStringList{});
}

void TcpLinkTest::refusedConnectIsASocketEventError() {
    state_.hostCount = 1;
    state_.hostAddresses[0] = loopback;
    state_.portNumberText.assign(portText(closedPort()));
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

void TcpLinkTest::connectFailingAtOnce_data() {
    QTest::addColumn<int>("host");
    QTest::addColumn<QByteArray>("address");
    QTest::newRow("broadcast") << 0 << QByteArray("\xff\xff\xff\xff", 4);
    QTest::newRow("no address") << 0 << QByteArray(4, '\0');
    QTest::newRow("no host chosen") << -1 << QByteArray(4, '\0');
}

void TcpLinkTest::connectFailingAtOnce() {
    QFETCH(int, host);
    QFETCH(QByteArray, address);
    state_.hostCount = 1;
    for (int octet = 0; octet < 4; ++octet)
        state_.hostAddresses[0][std::size_t(octet)] = std::uint8_t(address[octet]);
    state_.selectedConnection = host;

    QVERIFY(!link_->connectToDevice());
    QCOMPARE(prompts_.texts(), QStringList{"接続できません"});
    QCOMPARE(prompts_.boxes.first().caption, QStringLiteral("ZEV-530TQ"));
    QCOMPARE(prompts_.boxes.first().icon, BoxIcon::Stop);
    QCOMPARE(prompts_.boxes.first().owner, nullptr);
    QVERIFY(!link_->hasClientSocket());
}

void TcpLinkTest::secondStartKeepsTheListeningSocket() {
    state_.portNumberText.assign(""); // port 0: the system picks one
    QVERIFY(link_->startListening());
    const quint16 port = link_->listeningPort();
    QVERIFY(port != 0);
    const int descriptors = openDescriptors();
    QVERIFY(link_->startListening());
    QCOMPARE(link_->listeningPort(), port);
    QCOMPARE(openDescriptors(), descriptors);
    QCOMPARE(prompts_.texts(), QStringList{});
}

void TcpLinkTest::accepts96DevicesAndClosesThe97th() {
    QVERIFY(link_->startListening());
    QSignalSpy changed(link_.get(), &TcpLink::connectionsChanged);
    connectDevices(97);
    // The 97th is closed at once; the other 96 stay.
    const auto closedDevices = [&] {
        return std::count_if(devices_.begin(), devices_.end(), [](const auto& device) {
            return device->state() == QAbstractSocket::UnconnectedState;
        });
    };
    QTRY_COMPARE_WITH_TIMEOUT(closedDevices(), 1, 5000);
    for (int entry = 1; entry <= 96; ++entry) {
        const Connection& connection = state_.connectionTable[std::size_t(entry)];
        QCOMPARE(connection.inUse, 1);
        QCOMPARE(connection.addressText.view(), QByteArrayView("127.0.0.1"));
        QCOMPARE(link_->findConnection(connection.socket), entry);
    }
    QCOMPARE(state_.connectionTable[0].inUse, 1);
    QCOMPARE(state_.connectionTable[0].socket, nullptr);
    QCOMPARE(changed.size(), 96);
    QCOMPARE(prompts_.texts(), QStringList{});
    QTcpSocket stranger;
    QCOMPARE(link_->findConnection(&stranger), 0);
}

void TcpLinkTest::disconnectedDeviceFreesItsEntry() {
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

void TcpLinkTest::bindOnPortInUse() {
    auto occupant = std::make_unique<QTcpServer>();
    QVERIFY(occupant->listen(QHostAddress::AnyIPv4, 0));
    state_.portNumberText.assign(portText(occupant->serverPort()));
    const int descriptors = openDescriptors();

    QVERIFY(!link_->startListening());
    QCOMPARE(prompts_.texts(), QStringList{"Bindできません"});
    QCOMPARE(prompts_.boxes.first().caption, QStringLiteral("ZEV-530TQ"));
    QCOMPARE(prompts_.boxes.first().icon, BoxIcon::Stop);
    QVERIFY(!link_->isListening());
    QCOMPARE(openDescriptors(), descriptors);

    // A later start begins afresh.
    const quint16 port = occupant->serverPort();
    occupant.reset();
    QVERIFY(link_->startListening());
    QCOMPARE(link_->listeningPort(), port);
}

void TcpLinkTest::acceptFailureIsReported() {
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
    QCOMPARE(state_.connectionTable[1].inUse, 0);
    // Accepting goes on once the descriptors are back: the device waiting is taken.
    QTRY_COMPARE_WITH_TIMEOUT(state_.connectionTable[1].inUse, 1, 2000);
    for (const MessageBoxRequest& box : std::as_const(prompts_.boxes))
        QCOMPARE(box.text, expected);
}

void TcpLinkTest::onlyTheTargetIsHeard() {
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
    QCOMPARE(received.first().at(0).toByteArray(), QByteArray("GO\r\n"));
    QTRY_COMPARE(state_.connectionTable[1].socket->bytesAvailable(), qint64(0)); // read, dropped
    QCOMPARE(received.size(), 1);
    QCOMPARE(other->bytesAvailable(), qint64(0));
}

void TcpLinkTest::bytesKeepTheirOrderWhileABoxIsOpen() {
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

void TcpLinkTest::closeAllSocketsLeavesNoSocketOpen() {
    const int before = openDescriptors();
    {
        QTcpServer clientPeer;
        QVERIFY(clientPeer.listen(QHostAddress::LocalHost, 0));
        state_.hostCount = 1;
        state_.hostAddresses[0] = loopback;
        state_.portNumberText.assign(portText(clientPeer.serverPort()));
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
        for (int entry = 1; entry <= 96; ++entry)
            QCOMPARE(state_.connectionTable[std::size_t(entry)].socket, nullptr);
        // The devices see their connections end.
        for (const auto& device : devices_)
            QTRY_COMPARE_WITH_TIMEOUT(device->state(), QAbstractSocket::UnconnectedState, 2000);
        devices_.clear();
    }
    QCOMPARE(openDescriptors(), before);
    QCOMPARE(prompts_.texts(), QStringList{});
}

QTEST_GUILESS_MAIN(TcpLinkTest)
#include "tst_tcplink.moc"
