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

    AppState state;
    SettingsDocument document;
    RecordingPrompts prompts;
    RecordingSerialChannel serial;
    RecordingTcpChannel tcp;
    std::unique_ptr<MessageBoxes> boxes;
    std::unique_ptr<ReplyHandler> replies;
    std::unique_ptr<CommandSender> sender;

private slots:
    void init() {
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

    void framing_data() {
        QTest::addColumn<int>("interfaceKind");
        QTest::addColumn<int>("rs485Mode");
        QTest::addColumn<int>("slaveAddress");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("replyPending"); // and so "No Connect" on the seventh tick
        QTest::newRow("RS-232C") << 0 << 0 << 5 << QByteArray("CEL0\r\n") << 1;
        QTest::newRow("RS-485 0") << 0 << 1 << 0 << QByteArray("00CEL0\r\n") << 1;
        QTest::newRow("RS-485 31") << 0 << 1 << 31 << QByteArray("31CEL0\r\n") << 1;
        QTest::newRow("broadcast") << 0 << 1 << 32 << QByteArray("FFCEL0\r\n") << 0;
        QTest::newRow("TCP") << 1 << 1 << 5 << QByteArray("CEL0\r\n") << 0;
    }

    void framing() {
        QFETCH(int, interfaceKind);
        QFETCH(int, rs485Mode);
        QFETCH(int, slaveAddress);
        QFETCH(QByteArray, bytes);
        QFETCH(int, replyPending);
        state.interfaceKind = interfaceKind;
        state.rs485Mode = rs485Mode;
        state.slaveAddress = slaveAddress;
        state.tcpConnected = 1;
        sender->send("CEL0\r\n");
        QCOMPARE(serial.writes.join('|') + tcp.sends.join('|'), bytes);
        QCOMPARE(tcp.sends.size(), interfaceKind);
        QCOMPARE(state.replyPending, replyPending);
        QCOMPARE(sender->isAwaitingTcpReply(), interfaceKind == 1);

        for (int tick = 1; tick <= 20; ++tick) {
            sender->checkReplyTimeout();
            const bool noConnect = replyPending && tick >= 7; // and only once
            QCOMPARE(prompts.texts(), noConnect ? QStringList{"No Connect"} : QStringList{});
        }
        if (replyPending) {
            QCOMPARE(prompts.boxes.first().icon, BoxIcon::Stop);
            QVERIFY(state.replyPending == 0 && state.replyWaitTicks == 0);
            QCOMPARE(state.exchangeFailed, 0);
        }
    }

    void tcpFailures() {
        state.interfaceKind = 1;
        sender->send("CWL1\r\n");
        QVERIFY(tcp.sends.isEmpty());
        QVERIFY(!sender->isLinkReady());
        QCOMPARE(state.exchangeFailed, 0);
        state.tcpConnected = 1;
        tcp.sendSucceeds = false;
        sender->send("CWL1\r\n");
        QCOMPARE(state.exchangeFailed, 1);
        QVERIFY(!sender->isAwaitingTcpReply());
        // The wait running out while the program ends shows nothing.
        tcp.sendSucceeds = true;
        state.running = 0;
        sender->send("CWL1\r\n");
        sender->expireTcpReplyWait();
        QCOMPARE(prompts.texts(), QStringList({"Socket が接続されていません", "Socket 送信"}));
    }

    // Over a real socket: a reply in pieces is interpreted once; a peer that never answers
    // ends the wait on time without holding the event loop.
    void tcpOverRealSocket() {
        QTcpServer peer;
        QVERIFY(peer.listen(QHostAddress::LocalHost));
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, peer.serverPort());
        QVERIFY(socket.waitForConnected(2000));
        QTRY_VERIFY(peer.hasPendingConnections());
        QTcpSocket* device = peer.nextPendingConnection();
        SocketTcpChannel channel(socket);
        CommandSender realSender(state, *boxes, *replies, serial, channel);
        realSender.setTcpReplyTimeout(300);
        state.interfaceKind = 1;
        state.tcpConnected = 1;

        realSender.send("RCWL\r\n");
        QTRY_COMPARE(device->bytesAvailable(), 6);
        QCOMPARE(device->readAll(), QByteArray("RCWL\r\n"));
        device->write("CW");
        QTRY_COMPARE(state.tcpReplyPartial, 1);
        QVERIFY(realSender.isAwaitingTcpReply()); // half a line is no answer yet
        device->write("L3\r\n");
        QTRY_COMPARE(document.whiteLevel, 3);
        QVERIFY(!realSender.isAwaitingTcpReply());
        QVERIFY(prompts.boxes.isEmpty());

        QElapsedTimer clock;
        qint64 longestGap = 0, lastTick = 0;
        QTimer probe;
        probe.setInterval(5);
        connect(&probe, &QTimer::timeout, [&] {
            longestGap = std::max(longestGap, clock.elapsed() - lastTick);
            lastTick = clock.elapsed();
        });
        clock.start();
        probe.start();
        // The device stops in the middle of its reply.
        realSender.send("CWL1\r\n");
        device->write("G");
        QTRY_VERIFY_WITH_TIMEOUT(!prompts.boxes.isEmpty(), 3000);
        probe.stop();
        QCOMPARE(prompts.texts(), QStringList{"Answer が､きません"});
        QCOMPARE(state.exchangeFailed, 1);
        QVERIFY2(clock.elapsed() >= 290, "the wait ended before its time-out");
        QVERIFY2(longestGap < 250,
                 qPrintable(QString("event loop held for %1 ms").arg(longestGap)));

        // What was left of that reply is not taken for the start of the next one.
        realSender.send("CWL1\r\n");
        device->write("E3\r\n");
        QTRY_COMPARE(prompts.boxes.size(), 2);
        QCOMPARE(prompts.texts().last(), "Socket Command");
    }
};

QTEST_GUILESS_MAIN(CommandSenderTest)
#include "tst_commandsender.moc"
