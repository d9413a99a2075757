#include "core/AppState.h"
#include "document/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReplyHandler.h"
#include "support/RecordingChannels.h"
#include "support/RecordingPrompts.h"

#include <QElapsedTimer>
#include <QTest>

class CommandSenderTest : public QObject {
    Q_OBJECT

    AppState state;
    SettingsDocument document;
    RecordingPrompts prompts;
    RecordingSerialChannel serial;
    RecordingTcpChannel tcp;
    std::unique_ptr<MessageBoxes> boxes;
    std::unique_ptr<CommandSender> sender;

private slots:
    void init() {
        state = AppState{};
        state.running = 1;
        prompts.clear();
        serial.writes.clear();
        tcp.sends.clear();
        boxes = std::make_unique<MessageBoxes>(prompts, state.dialogs);
        sender = std::make_unique<CommandSender>(state, document, *boxes, serial, tcp);
    }

    void framing_data() {
        QTest::addColumn<int>("interfaceKind");
        QTest::addColumn<int>("rs485Mode");
        QTest::addColumn<int>("slaveAddress");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("replyPending"); // and so "No Connect" on the seventh tick
        QTest::newRow("RS-232C") << 0 << 0 << 5 << QByteArray("CEL0\r\n") << 1;
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
        state.link.interfaceKind = InterfaceKind(interfaceKind);
        state.link.rs485Mode = Rs485Mode(rs485Mode);
        state.link.slaveAddress = slaveAddress;
        tcp.connected = true;
        sender->send("CEL0\r\n");
        QCOMPARE(interfaceKind ? tcp.sends : serial.writes, QList{bytes});
        QCOMPARE(sender->isAwaitingTcpReply(), interfaceKind == 1);

        for (int tick = 1; tick <= 20; ++tick) {
            sender->checkReplyTimeout();
            const bool noConnect = replyPending && tick >= 7; // and only once
            QCOMPARE(prompts.texts(), noConnect ? QStringList{"No Connect"} : QStringList{});
        }
    }

    // The 500 ms tick runs from the sender's construction: an unanswered serial line ends in
    // "No Connect" on its own, 3 to 3.5 seconds after the write.
    void serialTickRunsOnItsOwn() {
        QElapsedTimer clock;
        clock.start();
        sender->send("CEL0\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(prompts.texts(), QStringList{"No Connect"}, 5000);
        QVERIFY(clock.elapsed() >= 3000);
    }
};

QTEST_GUILESS_MAIN(CommandSenderTest)
#include "tst_commandsender.moc"
