#include "support/SenderBench.h"

#include <QElapsedTimer>
#include <QTest>

class CommandSenderTest : public QObject, SenderBench {
    Q_OBJECT
    using SenderBench::sender; // not QObject::sender()

private slots:
    // RS-232C carries no address. The 500 ms tick runs from the sender's construction: an
    // unanswered line ends in "No Connect" on its own, 3 s or more after the write, once.
    void unansweredSerialLine() {
        state.running = 1;
        state.link.slaveAddress = 5;
        QElapsedTimer clock;
        clock.start();
        sender.send("CEL0\r\n");
        QCOMPARE(serial.writes, QList<QByteArray>{"CEL0\r\n"});
        QTRY_COMPARE_WITH_TIMEOUT(prompts.texts(), QStringList{"No Connect"}, 5000);
        QVERIFY(clock.elapsed() >= 3000);
        for (int tick = 0; tick < 10; ++tick)
            sender.checkReplyTimeout();
        QCOMPARE(prompts.boxes.size(), 1);
    }
};

QTEST_GUILESS_MAIN(CommandSenderTest)
#include "tst_commandsender.moc"
