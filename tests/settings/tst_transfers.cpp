#include "DialogDriving.h"
#include "document/DatFile.h"
#include "document/DocumentReset.h"
#include "settings/ReadBackDialog.h"
#include "settings/SendAllDialog.h"
#include "support/ShowDocument.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>

// Send All and the read-back against the simulated device, driven tick by tick: the test takes
// the run's timer over and gives every tick itself.

using Link = LinkedDevice::Link;

namespace {

// Runs the event loop until done() holds, woken as soon as anything arrives (QTest::qWaitFor
// sleeps in between, which makes a run of 280 ticks slow); false after five seconds.
bool settle(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(5000);
    QTimer wake;
    wake.start(20);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

// The program waits for the answer to a line it sent, or has yet to act on one that came.
bool awaiting(LinkedDevice& linked) {
    return linked.sender.isAwaitingTcpReply() || linked.sender.exchange().replyPending != 0 ||
           linked.sender.hasLinesToInterpret();
}

// The device has answered `lines` lines and the program has taken every answer.
bool answered(LinkedDevice& linked, qsizetype lines) {
    return linked.devices.last()->sentReplies().size() == lines && !awaiting(linked);
}

QByteArray datFile(const SettingsDocument& document) {
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    return writeDatFile(file, document) ? file.data() : QByteArray();
}

// What the operator sees: the percentage, the bar, whether Close can be used.
QString shown(QDialog& dialog) {
    return dialog.findChild<QLineEdit*>("percentageEdit")->text() + "|" +
           QString::number(dialog.findChild<QProgressBar*>("progressBar")->value()) +
           (dialog.findChild<QPushButton*>("closeButton")->isEnabled() ? "|Close" : "");
}
QTimer* runTimer(QDialog& dialog) {
    return dialog.findChild<QTimer*>("runTimer");
}
const char* startButton(int number) {
    return number == SendAllDialog::number ? "sendButton" : "readButton";
}

std::unique_ptr<TransferDialog> openTransfer(int number, DialogContext& context) {
    if (number == SendAllDialog::number)
        return std::make_unique<SendAllDialog>(context);
    return std::make_unique<ReadBackDialog>(context);
}

// Presses the start button and takes the timer over: from here on the test gives every tick.
void startRun(TransferDialog& dialog, int number) {
    press(dialog, startButton(number));
    runTimer(dialog)->blockSignals(true);
}

// Gives ticks from..to, each answered before the next; the number of lines sent, or -1.
qsizetype giveTicks(TransferDialog& dialog, LinkedDevice& linked, int from, int to) {
    const qsizetype before = linked.devices.last()->sentReplies().size();
    qsizetype sent = 0;
    for (int tick = from; tick <= to; ++tick) {
        dialog.tick();
        sent += awaiting(linked) ? 1 : 0;
        if (!settle([&] { return answered(linked, before + sent); }))
            return -1;
    }
    return sent;
}

} // namespace

class TransfersTest : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data() { tcpAndRs485Rows(); }

    // The whole document goes to a fresh device and comes back into a new document, the same
    // file but for the levels: Send All sends the chosen ones, the read-back stores the
    // device's. On RS-485 only the chosen device takes part. The answer to the last line of
    // each run is still taken after the dialog has ended itself.
    void roundTrip() {
        QFETCH(Link, link);
        LinkedDevice linked;
        QCOMPARE(linked.start(link, {3, 7}), QString());
        DialogContext context = contextOf(linked);
        sim::Device* device = linked.devices.last();
        fillAwayFromDefaults(linked.document);
        const auto pushed = std::make_unique<SettingsDocument>(linked.document);

        const auto openAndStart = [&](int number) {
            auto opened = openTransfer(number, context);
            if (link == Link::Rs485)
                choose(list(*opened, "slaveAddressList"), 7);
            startRun(*opened, number);
            return opened;
        };
        auto dialog = openAndStart(SendAllDialog::number);
        QTimer* timer = runTimer(*dialog);
        QVERIFY(timer->isActive() && timer->timerType() == Qt::PreciseTimer);
        // Groups of ticks: the interval after them, the lines they send (the two pauses none).
        const std::tuple<int, int, int, int, const char*> ticks[] = {
            {1, 1, 600, 1, "0|1"},         {2, 3, 600, 2, "1|3"},
            {4, 256, 600, 253, "91|256"},  {257, 257, 1200, 0, "91|257"},
            {258, 261, 1200, 4, "93|261"}, {262, 262, 1200, 0, "93|262"},
            {263, 279, 1200, 17, "99|279"}};
        for (const auto& [from, to, interval, lines, percentage] : ticks) {
            QCOMPARE(giveTicks(*dialog, linked, from, to), lines);
            QCOMPARE(timer->interval(), interval);
            QCOMPARE(shown(*dialog), percentage);
        }
        dialog->tick();
        QCOMPARE(dialog->result(), 2);
        QCOMPARE(shown(*dialog), "   |0|Close");
        QVERIFY(linked.prompts.boxes.isEmpty());
        dialog.reset();
        QVERIFY(settle([&] { return answered(linked, 278); }));
        QCOMPARE(linked.prompts.texts(),
                 QStringList{link == Link::Rs485 ? "Success" : "Socket ＯＫ"});
        QVERIFY(linked.devices.size() == 1 || linked.devices.first()->receivedLines().isEmpty());

        const QByteArray pushedFile = datFile(*pushed);
        resetDocument(linked.document, linked.state);
        linked.sender.resetExchange();
        device->clearRecords();
        linked.prompts.clear();
        dialog = openAndStart(ReadBackDialog::number);
        QCOMPARE(runTimer(*dialog)->interval(), 400);
        QCOMPARE(giveTicks(*dialog, linked, 1, 1), 1);
        QCOMPARE(shown(*dialog), "0|1");
        QCOMPARE(giveTicks(*dialog, linked, 2, 22), 21);
        QCOMPARE(giveTicks(*dialog, linked, 23, 29), 0); // seven idle ticks
        QCOMPARE(shown(*dialog), "10|29");
        QCOMPARE(giveTicks(*dialog, linked, 30, 284), 255);
        QCOMPARE(shown(*dialog), "99|284");
        dialog->tick();
        QCOMPARE(dialog->result(), 2);
        QCOMPARE(shown(*dialog), "   |0|Close");
        dialog.reset();
        QVERIFY(linked.prompts.boxes.isEmpty());
        QVERIFY(settle([&] { return answered(linked, 278); }));
        QCOMPARE(linked.prompts.texts(), QStringList{"Read ＯＫ"});

        // The file holds every field: the same bytes are the same document.
        const SettingsDocument& readBack = linked.document;
        QCOMPARE(QList<int>({readBack.whiteLevel, readBack.edgeLevel}), QList<int>({3, 0}));
        auto levelsAside = std::make_unique<SettingsDocument>(readBack);
        levelsAside->whiteLevel = pushed->whiteLevel;
        levelsAside->edgeLevel = pushed->edgeLevel;
        QCOMPARE(datFile(*levelsAside), pushedFile);
    }

    // An unconnected TCP link refuses to start. A second press, Esc and the close box do
    // nothing while a run goes on. An error reply stops the run at the next tick with the
    // dialog open, the percentage, the bar and what was read kept; a new press starts from the
    // first step. A failure left from a line sent before the run does not stop it. (Both runs
    // share the dialog's timer and tick: Send All stands for the read-back.)
    void runsStopAndRefuse() {
        const int number = SendAllDialog::number, refusedTick = 4;
        const QByteArray firstLine = "CT01T01" + QByteArray("2121").repeated(14);
        LinkedDevice linked;
        DialogContext context = contextOf(linked);
        linked.state.link.interfaceKind = InterfaceKind::Tcp;
        auto dialog = openTransfer(number, context);
        dialog->show();
        press(*dialog, startButton(number));
        QCOMPARE(linked.prompts.texts(), QStringList{"Socket が接続されていません"});
        QCOMPARE(linked.sender.exchange().sequenceStep, 0);
        QVERIFY(!runTimer(*dialog)->isActive());

        QCOMPARE(linked.start(Link::TcpClient), QString());
        sim::Device* device = linked.devices.first();
        device->respond("CT01T10" + QByteArray("3021").repeated(14) + "\r\n");
        device->refuseNext(1, "E3");
        linked.sender.send("P01T01\r\n");
        QVERIFY(settle([&] { return linked.sender.exchange().exchangeFailed == 1; }));
        startRun(*dialog, number);
        QCOMPARE(giveTicks(*dialog, linked, 1, 1), 1);
        QCOMPARE(device->receivedLines().last(), firstLine);
        press(*dialog, startButton(number));
        QVERIFY(runTimer(*dialog)->isActive());
        QCOMPARE(linked.sender.exchange().sequenceStep, 2);

        giveTicks(*dialog, linked, 2, refusedTick - 1);
        device->refuseNext(1, "E3");
        giveTicks(*dialog, linked, refusedTick, refusedTick + 1);
        QCOMPARE(linked.prompts.texts().mid(1), QStringList({"Socket Command", "Socket Command"}));
        QCOMPARE(shown(*dialog), "1|4|Close");
        QVERIFY(dialog->isVisible() && !runTimer(*dialog)->isActive());
        QCOMPARE(linked.sender.exchange().sequenceStep, 0);
        QCOMPARE(linked.sender.exchange().exchangeFailed, 0);
        startRun(*dialog, number);
        QCOMPARE(giveTicks(*dialog, linked, 1, 1), 1);
        QCOMPARE(device->receivedLines().last(), firstLine);
    }

#ifdef ZEV_SIM_POSIX
    // A serial device that stops answering stops the run at the tick after "No Connect", whose
    // box stays open while the event loop runs, with the dialog open as after a refusal.
    void silentSerialDeviceStopsTheRun() {
        LinkedDevice linked;
        QCOMPARE(linked.start(Link::Rs232c), QString());
        DialogContext context = contextOf(linked);
        linked.prompts.openMilliseconds = 1200;
        SendAllDialog sendAll(context);
        startRun(sendAll, SendAllDialog::number);
        QCOMPARE(giveTicks(sendAll, linked, 1, 2), 2);
        linked.devices.first()->ignoreNext(1);
        sendAll.tick();
        for (int wait = 0; wait < 7; ++wait)
            linked.sender.checkReplyTimeout();
        QCOMPARE(linked.prompts.texts(), QStringList{"No Connect"});
        sendAll.tick();
        QCOMPARE(shown(sendAll), "1|3|Close");
        QCOMPARE(linked.devices.first()->receivedLines().size(), 3);
    }
#endif

    // A title that cannot be encoded ends Send All after the titles before it, closes the
    // dialog and names the reason; nothing follows while its box is open and the event loop runs.
    void unsendableTitleEndsSendAll() {
        LinkedDevice linked;
        QCOMPARE(linked.start(Link::TcpClient), QString());
        DialogContext context = contextOf(linked);
        sim::Device* device = linked.devices.first();
        linked.prompts.openMilliseconds = 2000;
        linked.document.titleTexts[5].assign(QByteArray("\x82\x60") + 'B');
        SendAllDialog sendAll(context);
        startRun(sendAll, SendAllDialog::number);
        QCOMPARE(giveTicks(sendAll, linked, 1, 5), 5);
        runTimer(sendAll)->blockSignals(false);
        sendAll.tick();
        QCOMPARE(linked.prompts.texts(),
                 QStringList{"ＪＩＳ第１水準,第２水準以外の字が選択されてます"});
        QCOMPARE(sendAll.result(), 2);
        QCOMPARE(shown(sendAll), "   |0|Close");
        QCOMPARE(linked.sender.exchange().sequenceStep, 0);
        QCOMPARE(device->receivedLines().size(), 5);
    }
};

QTEST_MAIN(TransfersTest)
#include "tst_transfers.moc"
