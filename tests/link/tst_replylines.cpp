#include "core/AppState.h"
#include "document/SettingsDocument.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "link/TrafficLog.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "support/ChosenDevice.h"
#include "support/RecordingPrompts.h"

#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// The exchange of lines over the real links, the test playing the device on the other end of a
// pseudo-terminal or of a socket on 127.0.0.1: how bytes become reply lines, when a reply wait
// ends, what happens while a box is open, and how much input the program holds meanwhile.

namespace {

enum class Role { Serial, TcpClient, TcpServer };

struct PseudoTerminal {
    int master = -1;
    int slave = -1;
    ~PseudoTerminal() {
        ::close(master);
        ::close(slave);
    }
};

// Messages of the traffic category, while a test listens.
QStringList trafficLog;
void recordTraffic(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (QByteArrayView(context.category) == "zev.traffic")
        trafficLog.append(message);
}

} // namespace

Q_DECLARE_METATYPE(Role)

// The program's side with its real links and command sender, and the device's side.
struct Bench {
    QString start(Role linkRole) {
        role = linkRole;
        state.running = 1;
        if (role == Role::Serial) {
            char name[256] = {};
            const QString com = QString("COM%1").arg(state.link.comPortIndex + 1);
            if (openpty(&terminal.master, &terminal.slave, name, nullptr, nullptr) != 0 ||
                !QFile::link(QString::fromLocal8Bit(name), folder.filePath(com)))
                return QStringLiteral("no pseudo-terminal");
            fcntl(terminal.master, F_SETFL, fcntl(terminal.master, F_GETFL) | O_NONBLOCK);
            writable = std::make_unique<QSocketNotifier>(terminal.master, QSocketNotifier::Write);
            writable->setEnabled(false);
            QObject::connect(writable.get(), &QSocketNotifier::activated, [this] { pump(); });
            serial.openSerialPort();
            return serial.isOpen() ? QString() : com + " did not open";
        }
        state.link.interfaceKind = InterfaceKind::Tcp;
        if (role == Role::TcpClient) {
            if (!listener.listen(QHostAddress::LocalHost))
                return listener.errorString();
            state.link.hostAddresses[0] = {127, 0, 0, 1};
            state.link.hostCount = 1;
            state.link.portNumberText.assign(QByteArray::number(listener.serverPort()));
            QSignalSpy connected(&tcp, &TcpLink::clientConnected);
            if (tcp.connectToDevice() && connected.wait() &&
                QTest::qWaitFor([this] { return listener.hasPendingConnections(); }))
                peer.reset(listener.nextPendingConnection());
        } else {
            peer = connectChosenDevice(tcp, state.link);
        }
        return peer ? QString() : QStringLiteral("no connection");
    }

    // The device sends; a pseudo-terminal takes what it has room for as the program reads.
    void write(const QByteArray& bytes) {
        if (role != Role::Serial) {
            peer->write(bytes);
            return;
        }
        unwritten += bytes;
        pump();
    }
    void pump() {
        const ssize_t written =
            ::write(terminal.master, unwritten.constData(), size_t(unwritten.size()));
        if (written > 0)
            unwritten.remove(0, written);
        writable->setEnabled(!unwritten.isEmpty());
    }
    bool isSerial() const { return role == Role::Serial; }
    bool waitEnded() const {
        return isSerial() ? sender.exchange().replyPending == 0 : !sender.isAwaitingTcpReply();
    }
    LineChannel& link() { return isSerial() ? static_cast<LineChannel&>(serial) : tcp; }
    qint64 heldInput() const { return isSerial() ? serial.heldInput() : tcp.heldInput(); }
    QString success() const { return isSerial() ? "Success" : "Socket ＯＫ"; }

    Role role = Role::Serial;
    QTemporaryDir folder;
    PseudoTerminal terminal;
    AppState state;
    SettingsDocument document;
    RecordingPrompts prompts;
    MessageBoxes boxes{prompts, state.dialogs};
    TcpLink tcp{state.link};
    SerialLink serial{state, ConfigFolder(folder.path())};
    CommandSender sender{state, document, boxes, serial, tcp};
    QTcpServer listener;
    std::unique_ptr<QTcpSocket> peer;
    QByteArray unwritten;
    std::unique_ptr<QSocketNotifier> writable;
};

class ReplyLinesTest : public QObject {
    Q_OBJECT

    static void addLinks(std::initializer_list<Role> roles) {
        QTest::addColumn<Role>("role");
        for (Role role : roles)
            QTest::newRow(role == Role::Serial      ? "serial"
                          : role == Role::TcpClient ? "TCP client"
                                                    : "TCP server")
                << role;
    }

private slots:
    // The port named by comPortIndex is opened with the device's line settings (what a port
    // that cannot be opened reports: the main window's test). Even parity cannot be seen, as a
    // pseudo-terminal refuses PARENB.
    void serialPortSetUp() {
        Bench bench;
        bench.state.link.comPortIndex = 3;
        QCOMPARE(bench.start(Role::Serial), QString());
        termios line{};
        QCOMPARE(tcgetattr(bench.terminal.slave, &line), 0);
        QCOMPARE(cfgetospeed(&line), speed_t(B9600));
        QCOMPARE(cfgetispeed(&line), speed_t(B9600));
        QCOMPARE(line.c_cflag & (CSIZE | CSTOPB | CRTSCTS | CREAD),
                 tcflag_t(CS8 | CRTSCTS | CREAD));
        QCOMPARE(line.c_iflag & (IXON | IXOFF | IGNPAR | IXANY | INPCK | PARMRK),
                 tcflag_t(IXON | IXOFF | IGNPAR));
        QCOMPARE(line.c_cc[VSTART], cc_t(0x11));
        QCOMPARE(line.c_cc[VSTOP], cc_t(0x13));
        QCOMPARE(line.c_lflag & (ICANON | ECHO), tcflag_t(0));
    }

    void chunksToLines_data() {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QByteArrayList>("lines"); // "" for a line dropped as too long
        const QByteArray longest = QByteArray(597, 'A') + "\r\n";
        const auto row = [](const char* name, QByteArrayList chunks, QByteArrayList lines) {
            QTest::newRow(name) << chunks << lines;
        };
        row("one line in three reads, CR alone ends nothing", {"G", "O\r", "\n"}, {"GO\r\n"});
        row("two lines in one read", {"GO\r\nE3\r\n"}, {"GO\r\n", "E3\r\n"});
        row("NUL bytes skipped", {QByteArray("G\0O\r", 4), QByteArray("\0\n", 2)}, {"GO\r\n"});
        row("longest reply", {longest}, {longest});
        row("one byte longer is dropped up to its LF", {"B" + longest + "GO\r\n"}, {"", "GO\r\n"});
        row("dropped across reads",
            {"E1" + QByteArray(400, 'x'), QByteArray(400, 'y') + "\r\nE2\r\n"}, {"", "E2\r\n"});
        row("a dropped line alone still answers", {QByteArray(5000, 'C') + "\n"}, {""});
        row("no line end, no answer", {"GO\r"}, {});
    }

    // The same framing on both links; any whole line, a dropped one too, ends the reply wait.
    void chunksToLines() {
        QFETCH(QByteArrayList, chunks);
        QFETCH(QByteArrayList, lines);
        for (Role role : {Role::Serial, Role::TcpClient}) {
            Bench bench;
            QCOMPARE(bench.start(role), QString());
            QByteArrayList received; // taken as they arrive, before the sender would
            connect(&bench.link(), &LineChannel::lineReceived, [&] {
                while (auto line = bench.link().takeLine())
                    received << *line;
            });
            bench.sender.send("CWL1\r\n");
            QVERIFY(!bench.waitEnded());
            ReplyLineAssembler model; // tells when the link has taken a chunk
            qsizetype completed = 0;
            for (const QByteArray& chunk : chunks) {
                bench.write(chunk);
                completed += model.append(chunk).size();
                while (model.takeLine()) {
                }
                QTRY_VERIFY(received.size() == completed &&
                            bench.heldInput() == model.pendingLength());
            }
            QCOMPARE(received, lines);
            QCOMPARE(bench.waitEnded(), !lines.isEmpty());
            QVERIFY(bench.prompts.boxes.isEmpty());
        }
    }

    // A device that stops in the middle of its reply has not answered, and the half line is not
    // taken for the start of the next reply.
    void partialLineGoesWithTheWait() {
        Bench bench;
        QCOMPARE(bench.start(Role::TcpClient), QString());
        bench.sender.setTcpReplyTimeout(300);
        bench.sender.send("CWL1\r\n");
        bench.write("G");
        QTRY_COMPARE(bench.prompts.texts(), QStringList{"Answer が､きません"});
        QCOMPARE(bench.sender.exchange().exchangeFailed, 1);
        QCOMPARE(bench.tcp.partialLineLength(), qsizetype(0));
        bench.write("O"); // late, and before the next command: not part of its reply
        QTRY_COMPARE(bench.tcp.partialLineLength(), qsizetype(1));
        bench.sender.send("CWL1\r\n");
        bench.write("E3\r\n");
        QTRY_COMPARE(bench.prompts.texts().last(), "Socket Command");
    }

    void replyBoxLeftOpen_data() { addLinks({Role::Serial, Role::TcpClient, Role::TcpServer}); }

    // An operator who leaves the success box open longer than any reply wait gets no false
    // "no answer", also for a line sent and answered while the box is open (as a transfer's
    // tick sends). Its answer waits for its turn: one box at a time, in order.
    void replyBoxLeftOpen() {
        QFETCH(Role, role);
        Bench bench;
        QCOMPARE(bench.start(role), QString());
        bench.sender.setTcpReplyTimeout(200);
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
        QCOMPARE(bench.prompts.texts(), QStringList(2, bench.success()));
        QCOMPARE(bench.prompts.mostOpenAtOnce, 1);
        QCOMPARE(bench.sender.exchange().exchangeFailed, 0);
    }

    void deviceLeavesWhileBoxOpen_data() { addLinks({Role::TcpClient, Role::TcpServer}); }

    // The device closes its connection while the box of its reply is open: the socket goes when
    // the box has closed and nothing else is touched, and the link reports the target gone.
    void deviceLeavesWhileBoxOpen() {
        QFETCH(Role, role);
        Bench bench;
        QCOMPARE(bench.start(role), QString());
        bench.prompts.openMilliseconds = 500;
        bench.prompts.whileShown = [&](const MessageBoxRequest&) { bench.peer->abort(); };
        bench.sender.send("CWL1\r\n");
        bench.write("GO\r\n");
        QTRY_COMPARE(bench.prompts.boxes.size(), 1);
        QTRY_VERIFY(!bench.tcp.hasClientSocket() && bench.tcp.connectionCount() == 0);
        QVERIFY(bench.tcp.tcpConnected()); // the operator still has to stop or connect again
        bench.sender.send("CWL1\r\n");
        QCOMPARE(bench.prompts.texts(), QStringList({"Socket ＯＫ", "Socket 送信"}));
    }

    void inputHeldWithinBound_data() {
        QTest::addColumn<Role>("role");
        QTest::addColumn<int>("lineCount"); // of 599 bytes, the longest reply
        QTest::newRow("serial") << Role::Serial << 1700;
        QTest::newRow("TCP") << Role::TcpClient << 10000;
    }

    // While a box is open nothing is taken: the program holds no more than its bound of the
    // device's input (the lines held and the socket's or port's buffer), the system holds the
    // device back, and every line arrives afterwards, in order. The traffic log (off unless
    // asked for) shows each line with the link and the device's address.
    void inputHeldWithinBound() {
        QFETCH(Role, role);
        QFETCH(int, lineCount);
        QVERIFY(!zevTraffic().isDebugEnabled());
        QLoggingCategory::setFilterRules(QStringLiteral("zev.traffic=true"));
        trafficLog.clear();
        const QtMessageHandler previous = qInstallMessageHandler(recordTraffic);
        const auto restore = qScopeGuard([previous] {
            qInstallMessageHandler(previous);
            QLoggingCategory::setFilterRules(QString());
        });

        Bench bench;
        QCOMPARE(bench.start(role), QString());
        QByteArray flood;
        for (int line = 0; line < lineCount; ++line)
            flood += 'X' + QByteArray::number(line).rightJustified(7, '0') + QByteArray(589, 'p') +
                     "\r\n";
        qint64 mostHeld = 0, mostInSocket = 0;
        QTimer probe;
        probe.setInterval(5);
        connect(&probe, &QTimer::timeout, [&] {
            if (!bench.prompts.isOpen())
                return;
            mostHeld = std::max(mostHeld, bench.heldInput());
            for (const QTcpSocket* socket : bench.tcp.findChildren<QTcpSocket*>())
                mostInSocket = std::max(mostInSocket, socket->bytesAvailable());
        });
        probe.start();
        bench.prompts.openMilliseconds = 800;
        bench.prompts.whileShown = [&](const MessageBoxRequest&) { bench.write(flood); };
        bench.sender.send("CWL1\r\n");
        bench.write("GO\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(trafficLog.size(), lineCount + 2, 30000);

        constexpr qint64 limit = ReplyLineAssembler::holdLimit;
        QVERIFY2(mostHeld >= limit && mostHeld <= 2 * limit + ReplyLineAssembler::maxLineLength,
                 qPrintable(QString("held %1 bytes").arg(mostHeld)));
        QVERIFY(mostInSocket <= limit);
        const QString device =
            bench.isSerial() ? "serial " + bench.serial.devicePath()
                             : "tcp 127.0.0.1:" + QString::number(bench.listener.serverPort());
        QCOMPARE(trafficLog[0], device + R"( sent "CWL1\r\n")");
        QCOMPARE(trafficLog[1], device + R"( received "GO\r\n")");
        for (int line = 0; line < lineCount; ++line)
            QVERIFY2(trafficLog[line + 2].startsWith(device + " received \"X" +
                                                     QString::number(line).rightJustified(7, '0')),
                     qPrintable(trafficLog[line + 2].left(60)));
        QCOMPARE(bench.prompts.texts(), QStringList{bench.success()});
    }
};

QTEST_GUILESS_MAIN(ReplyLinesTest)
#include "tst_replylines.moc"
