#include "support/ChosenDevice.h"
#include "support/LinkedDevice.h"

#include <QLoggingCategory>
#include <QScopeGuard>
#include <QSocketNotifier>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// Reply lines over the real links, the test playing the device on a pseudo-terminal or a socket.

namespace {

struct PseudoTerminal {
    int master = -1, slave = -1;
    ~PseudoTerminal() { ::close(master), ::close(slave); }
};

// Messages of the traffic category, while a test listens.
QStringList trafficLog;
void recordTraffic(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (QByteArrayView(context.category) == "zev.traffic")
        trafficLog.append(message);
}

} // namespace

Q_DECLARE_METATYPE(ExchangeOutcome)

// The device is the far end of a pseudo-terminal opened as COM4, or the server's chosen socket.
struct Bench : LinkedDevice {
    QString start(bool overSerial) {
        serialLink = overSerial;
        state.running = 1;
        if (!serialLink) {
            peer = connectChosenDevice(tcp, state.link);
            state.link.interfaceKind = InterfaceKind::Tcp;
            return peer ? QString() : QStringLiteral("no connection");
        }
        char name[256] = {};
        state.link.comPortIndex = 3;
        if (openpty(&terminal.master, &terminal.slave, name, nullptr, nullptr) != 0 ||
            !QFile::link(QString::fromLocal8Bit(name), configFolder.filePath("COM4")))
            return QStringLiteral("no pseudo-terminal");
        fcntl(terminal.master, F_SETFL, fcntl(terminal.master, F_GETFL) | O_NONBLOCK);
        writable = std::make_unique<QSocketNotifier>(terminal.master, QSocketNotifier::Write);
        QObject::connect(writable.get(), &QSocketNotifier::activated, [this] { write({}); });
        serial.openSerialPort();
        return serial.isOpen() ? QString() : QStringLiteral("COM4 did not open");
    }

    // A pseudo-terminal takes what it has room for as the program reads.
    void write(const QByteArray& bytes) {
        if (!serialLink) {
            peer->write(bytes);
            return;
        }
        unwritten += bytes;
        const ssize_t written =
            ::write(terminal.master, unwritten.data(), size_t(unwritten.size()));
        unwritten.remove(0, std::max<ssize_t>(written, 0));
        writable->setEnabled(!unwritten.isEmpty());
    }
    bool waitEnded() const { return !sender.isWaitingForAnswer(); }
    qint64 heldInput() const { return serialLink ? serial.heldInput() : tcp.heldInput(); }

    bool serialLink = false;
    PseudoTerminal terminal;
    std::unique_ptr<QTcpSocket> peer;
    QByteArray unwritten;
    std::unique_ptr<QSocketNotifier> writable;
};

class ReplyLinesTest : public QObject {
    Q_OBJECT

    static void overBothLinks() {
        QTest::addColumn<bool>("overSerial");
        QTest::newRow("serial") << true;
        QTest::newRow("TCP") << false;
    }

private slots:
    // The port named by comPortIndex is opened with the device's line settings (even parity
    // cannot be seen: a pseudo-terminal refuses PARENB).
    void serialPortSetUp() {
        Bench bench;
        QCOMPARE(bench.start(true), QString());
        termios line{};
        QCOMPARE(tcgetattr(bench.terminal.slave, &line), 0);
        QCOMPARE(cfgetospeed(&line), speed_t(B9600));
        QCOMPARE(line.c_cflag & (CSIZE | CSTOPB | CRTSCTS), tcflag_t(CS8 | CRTSCTS));
        QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
    }

    // Both links frame with the same assembler: a line may come in pieces, NUL bytes are
    // skipped, a line longer than the longest reply is dropped up to its LF, and any whole line,
    // a dropped one too, ends the reply wait.
    void chunksToLines() {
        Bench bench;
        QCOMPARE(bench.start(false), QString());
        QByteArrayList received; // taken as they arrive, before the sender would
        connect(&bench.tcp, &LineChannel::lineReceived, [&] {
            while (auto line = bench.tcp.takeLine())
                received << *line;
        });
        const QByteArray longest = QByteArray(597, 'A') + "\r\n";
        bench.sender.send("CWL1\r\n");
        bench.write("GO\r");
        QTRY_COMPARE(bench.heldInput(), qint64(3));
        QVERIFY(!bench.waitEnded() && received.isEmpty());
        bench.write(QByteArray("\0\nE3\r\n", 6) + longest + "B" + longest.left(400));
        QTRY_COMPARE(received.size(), 3);
        bench.write(longest.mid(400) + "E2\r\n");
        QTRY_COMPARE(received, QByteArrayList({"GO\r\n", "E3\r\n", longest, "", "E2\r\n"}));
        QVERIFY(bench.waitEnded() && bench.prompts.boxes.isEmpty());
        bench.write("G"); // half a reply is not taken for the start of the next command's
        QTRY_COMPARE(bench.tcp.partialLineLength(), qsizetype(1));
        bench.sender.send("CWL1\r\n");
        QCOMPARE(bench.tcp.partialLineLength(), qsizetype(0));
    }

    void outcomes_data() {
        QTest::addColumn<bool>("overSerial");
        QTest::addColumn<QByteArray>("line");
        // "-" none; "close": the device closes the connection; "stopped": the program has
        // stopped listening before the line; "broadcast": the line goes to every device.
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<ExchangeOutcome>("outcome");
        QTest::addColumn<bool>("asked");  // the answer the line asked for
        QTest::addColumn<QString>("box"); // "caption: text", with " (stop)" for the stop icon
        using enum ExchangeOutcome;
        const auto row = [](const char* name, bool serial, const char* line, const char* answer,
                            ExchangeOutcome outcome, bool asked, const char* box) {
            QTest::newRow(name) << serial << QByteArray(line) << QByteArray(answer) << outcome
                                << asked << QString(box);
        };
        const bool S = true, T = false;
        row("serial GO", S, "CWL1", "GO\r\n", Accepted, true, "設定完了: Success");
        row("serial GO and more", S, "CWL1", "GOX\r\n", OtherReply, false, "");
        row("TCP GO and more", T, "CWL1", "GOX\r\n", Accepted, true, "Success: Socket ＯＫ");
        row("serial data", S, "RCEL", "CEL2\r\n", Data, true, "");
        row("TCP data of another command", T, "CWL1", "CEL2\r\n", Data, false, "");
        row("TCP malformed data", T, "RCEL", "CELX\r\n", OtherReply, false, "");
        row("serial E1", S, "CWL1", "E1\r\n", DeviceRefusal, false, "Error: Parity Error");
        row("TCP E1", T, "CWL1", "E1\r\n", DeviceRefusal, false, "Error: Socket Framing");
        row("TCP E2", T, "CWL1", "E2\r\n", DeviceRefusal, false, "Error: Socket Over run");
        row("serial GN", S, "CWL1", "GN\r\n", OtherReply, false, "Error: Mode difference");
        row("serial GN to a glyph read", S, "RFBMBA65", "GN\r\n", OtherReply, false,
            "Error: 自動切換え中！");
        row("TCP GN to a glyph read", T, "RFBMBA65", "GN\r\n", OtherReply, false,
            "Error: Socket 自動切換え中！ (stop)");
        row("TCP MENU", T, "CWL1", "MENU\r\n", OtherReply, false, "Error: Socket Menu Display");
        row("TCP nothing recognised", T, "CWL1", "HELLO\r\n", OtherReply, false, "");
        row("serial E9", S, "CWL1", "E9\r\n", OtherReply, false, "");
        row("serial too long", S, "CWL1", QByteArray(700, 'G').append("\r\n").constData(),
            OtherReply, false, "");
        row("serial no answer", S, "CWL1", "-", NoAnswer, false, "Error: No Connect (stop)");
        row("TCP no answer", T, "CWL1", "-", NoAnswer, false, "Error: Answer が､きません");
        row("TCP closed while waiting", T, "CWL1", "close", Disconnected, false,
            "Error: Answer が､きません");
        row("TCP not connected", T, "CWL1", "stopped", NotConnected, false,
            "Error: Socket が接続されていません");
        row("RS-485 broadcast", S, "CWL1", "broadcast", NoReplyExpected, true, "");
    }

    // What became of a line, as the device answered it: one outcome, and the box the operator
    // has always seen for it (its icon, its owner), over both links.
    void outcomes() {
        QFETCH(bool, overSerial);
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, answer);
        QFETCH(ExchangeOutcome, outcome);
        QFETCH(bool, asked);
        QFETCH(QString, box);
        Bench bench;
        QCOMPARE(bench.start(overSerial), QString());
        bench.sender.setTcpReplyTimeout(300);
        QObject dialog;
        bench.state.dialogs.activeDialog = &dialog;
        if (answer == "stopped")
            bench.tcp.stopServer();
        if (answer == "broadcast") {
            bench.state.link.rs485Mode = Rs485Mode::Rs485;
            bench.state.link.slaveAddress = LinkConfiguration::broadcastAddress;
        }
        QList<Exchange> ended;
        connect(&bench.sender, &CommandSender::exchangeFinished,
                [&](const Exchange& exchange) { ended << exchange; });
        if (line.startsWith("RFBM"))
            bench.sender.setGlyphReadPending(true);
        const quint64 id = bench.sender.send(line + "\r\n");
        if (answer == "close")
            bench.peer->disconnectFromHost();
        else if (answer == "-" && overSerial)
            QTest::qWait(100);
        else if (answer != "-" && answer != "stopped" && answer != "broadcast")
            bench.write(answer);
        for (int tick = 0; answer == "-" && overSerial && tick < 7; ++tick)
            bench.sender.checkReplyTimeout();
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended[0].id, id);
        QCOMPARE(ended[0].outcome, outcome);
        QCOMPARE(ended[0].isExpectedAnswer(), asked);
        QTRY_VERIFY(!bench.sender.isAwaiting());
        QStringList shown;
        for (const MessageBoxRequest& request : bench.prompts.boxes) {
            shown << request.caption + ": " + request.text +
                         (request.icon == BoxIcon::Stop ? " (stop)" : "");
            QCOMPARE(request.owner, &dialog); // every box stands over the dialog that is open
            QCOMPARE(request.beep,
                     request.caption == "設定完了" ? BoxBeep::Simple : BoxBeep::Question);
        }
        QCOMPARE(shown.join('|'), box);
        QCOMPARE(bench.sender.exchange().glyphReadPending, 0);
    }

    void noiseBeforeASend_data() { overBothLinks(); }

    // Bytes the device sent before a line, without a line end, are not the start of its answer.
    void noiseBeforeASend() {
        QFETCH(bool, overSerial);
        Bench bench;
        QCOMPARE(bench.start(overSerial), QString());
        bench.write("noise without an end");
        QTRY_COMPARE(bench.heldInput(), qint64(20));
        QList<Exchange> ended;
        connect(&bench.sender, &CommandSender::exchangeFinished,
                [&](const Exchange& exchange) { ended << exchange; });
        bench.sender.send("CWL1\r\n");
        bench.write("GO\r\n");
        QTRY_COMPARE(ended.size(), 1);
        QCOMPARE(ended[0].outcome, ExchangeOutcome::Accepted);
        QTRY_COMPARE(bench.prompts.texts(), QStringList{overSerial ? "Success" : "Socket ＯＫ"});
    }

    void replyBoxLeftOpen_data() { overBothLinks(); }

    // A success box left open longer than the reply wait gives no false "no answer", also for a
    // line sent and answered while it is open (as a transfer's tick sends); one box at a time.
    void replyBoxLeftOpen() {
        QFETCH(bool, overSerial);
        Bench bench;
        QCOMPARE(bench.start(overSerial), QString());
        bench.sender.setTcpReplyTimeout(200);
        QList<ExchangeOutcome> outcomes;
        connect(&bench.sender, &CommandSender::exchangeFinished,
                [&](const Exchange& line) { outcomes << line.outcome; });
        bench.prompts.openMilliseconds = 500;
        bench.prompts.whileShown = [&](const MessageBoxRequest&) {
            if (bench.prompts.boxes.size() != 1) {
                bench.prompts.openMilliseconds = 0;
                return;
            }
            bench.sender.send("CEL2\r\n");
            bench.write("GO\r\n");
            QTRY_VERIFY(bench.waitEnded());
            for (int tick = 0; tick < 7; ++tick)
                bench.sender.checkReplyTimeout();
        };
        bench.sender.send("CWL1\r\n");
        bench.write("GO\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(bench.prompts.boxes.size(), 2, 5000);
        QCOMPARE(bench.prompts.texts(), QStringList(2, overSerial ? "Success" : "Socket ＯＫ"));
        QCOMPARE(bench.prompts.mostOpenAtOnce, 1);
        QCOMPARE(outcomes, QList<ExchangeOutcome>(2, ExchangeOutcome::Accepted));
    }

    void deviceLeavesWhileBoxOpen_data() {
        QTest::addColumn<LinkedDevice::Link>("link");
        QTest::newRow("TCP client") << LinkedDevice::Link::TcpClient;
        QTest::newRow("TCP server") << LinkedDevice::Link::TcpServer;
    }

    // The device closes its connection while its reply's box is open: no crash, and the link is
    // no longer connected.
    void deviceLeavesWhileBoxOpen() {
        QFETCH(LinkedDevice::Link, link);
        LinkedDevice linked;
        QCOMPARE(linked.start(link), QString());
        linked.prompts.openMilliseconds = 500;
        linked.devices.first()->closeAfterNextReply();
        linked.sender.send("CWL1\r\n");
        QTRY_COMPARE(linked.prompts.boxes.size(), 1);
        QTRY_VERIFY(!linked.tcp.hasClientSocket() && linked.tcp.connectionCount() == 0);
        QVERIFY(!linked.tcp.tcpConnected());
    }

    void inputHeldWithinBound_data() { overBothLinks(); }

    // While a box is open the program holds no more than its bound of the device's input, and
    // every line arrives afterwards, in order, in the traffic log with link and address.
    void inputHeldWithinBound() {
        QFETCH(bool, overSerial);
        QLoggingCategory::setFilterRules(QStringLiteral("zev.traffic=true"));
        trafficLog.clear();
        const QtMessageHandler previous = qInstallMessageHandler(recordTraffic);
        const auto restore = qScopeGuard([previous] {
            qInstallMessageHandler(previous);
            QLoggingCategory::setFilterRules(QString());
        });

        Bench bench;
        QCOMPARE(bench.start(overSerial), QString());
        const int lineCount = overSerial ? 1700 : 10000; // of 599 bytes, the longest reply
        const auto number = [](int line) {
            return QByteArray::number(line).rightJustified(7, '0');
        };
        QByteArray flood;
        for (int line = 0; line < lineCount; ++line)
            flood += 'X' + number(line) + QByteArray(589, 'p') + "\r\n";
        qint64 mostHeld = 0, mostInSocket = 0;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            mostHeld = std::max(mostHeld, bench.heldInput());
            for (const QTcpSocket* socket : bench.tcp.findChildren<QTcpSocket*>())
                mostInSocket = std::max(mostInSocket, socket->bytesAvailable());
        });
        bench.prompts.openMilliseconds = 800;
        bench.prompts.whileShown = [&](const MessageBoxRequest&) {
            bench.write(flood);
            probe.start(5);
        };
        bench.sender.send("CWL1\r\n");
        bench.write("GO\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(trafficLog.size(), lineCount + 2, 30000);

        constexpr qint64 limit = ReplyLineAssembler::holdLimit;
        QVERIFY(mostHeld >= limit && mostHeld <= 2 * limit + ReplyLineAssembler::maxLineLength);
        QVERIFY(mostInSocket <= limit);
        const QString device = overSerial
                                   ? "serial " + bench.serial.devicePath()
                                   : "tcp 127.0.0.1:" + QString::number(bench.peer->localPort());
        QCOMPARE(trafficLog[0], device + R"( sent "CWL1\r\n")");
        QCOMPARE(trafficLog[1], device + R"( received "GO\r\n")");
        for (int line = 0; line < lineCount; ++line)
            QVERIFY(trafficLog[line + 2].startsWith(device + " received \"X" + number(line)));
        QCOMPARE(bench.prompts.texts(), QStringList{overSerial ? "Success" : "Socket ＯＫ"});
    }
};

QTEST_GUILESS_MAIN(ReplyLinesTest)
#include "tst_replylines.moc"
