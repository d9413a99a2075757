#include "app/AppState.h"
#include "document/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReplyHandler.h"
#include "support/RecordingChannels.h"
#include "support/RecordingPrompts.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

// A TCP link reduced to one real client socket, for the tests that need real network timing.
class SocketTcpChannel : public TcpChannel {
public:
    explicit SocketTcpChannel(QTcpSocket& socket) : socket_(socket) {
        connect(&socket_, &QTcpSocket::readyRead, this,
                [this] { emit targetBytesReceived(socket_.readAll()); });
    }
    bool sendToTarget(const QByteArray& bytes) override {
        return socket_.state() == QAbstractSocket::ConnectedState && socket_.write(bytes) >= 0;
    }

private:
    QTcpSocket& socket_;
};

} // namespace

class CommandSenderTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void framing_data();
    void framing();
    void noConnectOnSeventhTick();
    void broadcastWaitsForNothing();
    void replyEndsTheSerialWait();
    void tcpNotReady();
    void tcpSendFails();
    void tcpReplyStopsTheWait();
    void tcpWaitKeepsTheEventLoopRunning();
    void tcpReplyInPiecesOverRealSocket();

private:
    AppState state;
    SettingsDocument document;
    RecordingPrompts prompts;
    RecordingSerialChannel serial;
    RecordingTcpChannel tcp;
    std::unique_ptr<MessageBoxes> boxes;
    std::unique_ptr<ReplyHandler> replies;
    std::unique_ptr<CommandSender> sender;
};

void CommandSenderTest::init() {
    state = AppState{};
    state.running = 1;
    prompts.clear();
    serial.writes.clear();
    tcp.sends.clear();
    tcp.sendSucceeds = true;
    boxes = std::make_unique<MessageBoxes>(prompts, state);
    replies = std::make_unique<ReplyHandler>(state, document, *boxes);
    sender = std::make_unique<CommandSender>(state, *boxes, *replies, serial, tcp);
}

void CommandSenderTest::framing_data() {
    QTest::addColumn<int>("interfaceKind");
    QTest::addColumn<int>("rs485Mode");
    QTest::addColumn<int>("slaveAddress");
    QTest::addColumn<QByteArray>("serialBytes");
    QTest::addColumn<QByteArray>("tcpBytes");
    QTest::addColumn<int>("replyPending");

    QTest::newRow("RS-232C") << 0 << 0 << 5 << QByteArray("CEL0\r\n") << QByteArray() << 1;
    QTest::newRow("RS-485 address 0")
        << 0 << 1 << 0 << QByteArray("00CEL0\r\n") << QByteArray() << 1;
    QTest::newRow("RS-485 address 5")
        << 0 << 1 << 5 << QByteArray("05CEL0\r\n") << QByteArray() << 1;
    QTest::newRow("RS-485 address 31")
        << 0 << 1 << 31 << QByteArray("31CEL0\r\n") << QByteArray() << 1;
    QTest::newRow("RS-485 broadcast")
        << 0 << 1 << 32 << QByteArray("FFCEL0\r\n") << QByteArray() << 0;
    QTest::newRow("TCP ignores the address")
        << 1 << 1 << 5 << QByteArray() << QByteArray("CEL0\r\n") << 0;
}

void CommandSenderTest::framing() {
    QFETCH(int, interfaceKind);
    QFETCH(int, rs485Mode);
    QFETCH(int, slaveAddress);
    QFETCH(QByteArray, serialBytes);
    QFETCH(QByteArray, tcpBytes);
    QFETCH(int, replyPending);

    state.interfaceKind = interfaceKind;
    state.rs485Mode = rs485Mode;
    state.slaveAddress = slaveAddress;
    state.tcpConnected = 1;
    sender->send("CEL0\r\n");
    QCOMPARE(serial.writes,
             serialBytes.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{serialBytes});
    QCOMPARE(tcp.sends, tcpBytes.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{tcpBytes});
    QCOMPARE(state.replyPending, replyPending);
    QCOMPARE(sender->isAwaitingTcpReply(), interfaceKind == 1);
}

void CommandSenderTest::noConnectOnSeventhTick() {
    sender->send("P01T01\r\n");
    for (int tick = 1; tick <= 6; ++tick)
        sender->checkReplyTimeout();
    QVERIFY(prompts.boxes.isEmpty());
    sender->checkReplyTimeout();
    QCOMPARE(prompts.texts(), QStringList{"No Connect"});
    QCOMPARE(prompts.boxes.first().icon, BoxIcon::Stop);
    QCOMPARE(state.replyPending, 0);
    QCOMPARE(state.replyWaitTicks, 0);
    QCOMPARE(state.exchangeFailed, 0);
    sender->checkReplyTimeout();
    QCOMPARE(prompts.boxes.size(), 1);
}

void CommandSenderTest::broadcastWaitsForNothing() {
    state.rs485Mode = 1;
    state.slaveAddress = AppState::broadcastAddress;
    sender->send("SA32\r\n");
    for (int tick = 0; tick < 20; ++tick)
        sender->checkReplyTimeout();
    QVERIFY(prompts.boxes.isEmpty());
}

void CommandSenderTest::replyEndsTheSerialWait() {
    sender->send("CWL1\r\n");
    sender->checkReplyTimeout();
    sender->checkReplyTimeout();
    replies->handleSerialReply("GO\r\n");
    for (int tick = 0; tick < 10; ++tick)
        sender->checkReplyTimeout();
    QCOMPARE(prompts.texts(), QStringList{"Success"});
}

void CommandSenderTest::tcpNotReady() {
    state.interfaceKind = 1;
    state.tcpConnected = 0;
    sender->send("CWL1\r\n");
    QVERIFY(tcp.sends.isEmpty());
    QCOMPARE(prompts.texts(), QStringList{"Socket が接続されていません"});
    QCOMPARE(state.exchangeFailed, 0);
    QVERIFY(!sender->isAwaitingTcpReply());
    QVERIFY(!sender->isLinkReady());
}

void CommandSenderTest::tcpSendFails() {
    state.interfaceKind = 1;
    state.tcpConnected = 1;
    tcp.sendSucceeds = false;
    sender->send("CWL1\r\n");
    QCOMPARE(prompts.texts(), QStringList{"Socket 送信"});
    QCOMPARE(state.exchangeFailed, 1);
    QVERIFY(!sender->isAwaitingTcpReply());
}

void CommandSenderTest::tcpReplyStopsTheWait() {
    state.interfaceKind = 1;
    state.tcpConnected = 1;
    sender->send("CWL1\r\n");
    QVERIFY(sender->isAwaitingTcpReply());
    tcp.deliver("G");
    QVERIFY(!sender->isAwaitingTcpReply());
    tcp.deliver("O\r\n");
    QCOMPARE(prompts.texts(), QStringList{"Socket ＯＫ"});

    // The wait running out while the program ends shows nothing.
    sender->send("CWL1\r\n");
    state.running = 0;
    sender->expireTcpReplyWait();
    QCOMPARE(prompts.boxes.size(), 1);
}

// A peer that accepts the line and never answers: the wait must not hold the event loop.
void CommandSenderTest::tcpWaitKeepsTheEventLoopRunning() {
    QTcpServer peer;
    QVERIFY(peer.listen(QHostAddress::LocalHost));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, peer.serverPort());
    QVERIFY(socket.waitForConnected(2000));
    SocketTcpChannel channel(socket);
    CommandSender realSender(state, *boxes, *replies, serial, channel);
    realSender.setTcpReplyTimeout(300);
    state.interfaceKind = 1;
    state.tcpConnected = 1;

    QElapsedTimer clock;
    qint64 longestGap = 0;
    qint64 lastTick = 0;
    QTimer probe;
    probe.setInterval(5);
    connect(&probe, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, clock.elapsed() - lastTick);
        lastTick = clock.elapsed();
    });
    clock.start();
    probe.start();
    realSender.send("CWL1\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(!prompts.boxes.isEmpty(), 3000);
    probe.stop();

    QCOMPARE(prompts.texts(), QStringList{"Answer が､きません"});
    QCOMPARE(state.exchangeFailed, 1);
    QVERIFY2(clock.elapsed() >= 290, "the wait ended before its time-out");
    QVERIFY2(longestGap < 100, qPrintable(QString("event loop held for %1 ms").arg(longestGap)));
}

void CommandSenderTest::tcpReplyInPiecesOverRealSocket() {
    QTcpServer peer;
    QVERIFY(peer.listen(QHostAddress::LocalHost));
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, peer.serverPort());
    QVERIFY(socket.waitForConnected(2000));
    QTRY_VERIFY(peer.hasPendingConnections());
    QTcpSocket* device = peer.nextPendingConnection();
    SocketTcpChannel channel(socket);
    CommandSender realSender(state, *boxes, *replies, serial, channel);
    state.interfaceKind = 1;
    state.tcpConnected = 1;

    realSender.send("RCWL\r\n");
    QTRY_COMPARE(device->bytesAvailable(), 6);
    QCOMPARE(device->readAll(), QByteArray("RCWL\r\n"));
    device->write("CW");
    device->flush();
    QTRY_VERIFY(!realSender.isAwaitingTcpReply());
    QCOMPARE(document.whiteLevel, 0);
    device->write("L3\r\n");
    QTRY_COMPARE(document.whiteLevel, 3);
    QVERIFY(prompts.boxes.isEmpty());
}

QTEST_GUILESS_MAIN(CommandSenderTest)
#include "tst_commandsender.moc"
