#include "core/AppState.h"
#include "document/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
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

    // RS-232C carries no address (RS-485 prefixes and broadcasts: the settings over the
    // links). An unanswered line ends in "No Connect" at the seventh tick, once.
    void unansweredSerialLine() {
        state.link.slaveAddress = 5;
        sender->send("CEL0\r\n");
        QCOMPARE(serial.writes, QList<QByteArray>{"CEL0\r\n"});
        for (int tick = 1; tick <= 20; ++tick) {
            sender->checkReplyTimeout();
            QCOMPARE(prompts.boxes.size(), tick >= 7 ? 1 : 0);
        }
        QCOMPARE(prompts.texts(), QStringList{"No Connect"});
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
