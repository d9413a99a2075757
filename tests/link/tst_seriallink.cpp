#include "app/AppState.h"
#include "document/SettingsDocument.h"
#include "link/SerialLink.h"
#include "link/SerialPortPlatform.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReplyHandler.h"
#include "support/RecordingChannels.h"
#include "support/RecordingPrompts.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A real pseudo-terminal: the link opens its slave side through a COM link in the configuration
// folder, the test plays the device on the master side.
class PseudoTerminal {
public:
    PseudoTerminal() {
        char name[256] = {};
        if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
            return;
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        slavePath_ = QString::fromLocal8Bit(name);
    }
    ~PseudoTerminal() {
        ::close(master_);
        ::close(slave_);
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool isValid() const { return master_ >= 0; }
    const QString& slavePath() const { return slavePath_; }
    void send(const QByteArray& bytes) const {
        QCOMPARE(::write(master_, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }
    QByteArray take() const { // what the link has sent and nobody has taken yet
        QByteArray received;
        char buffer[4096];
        for (ssize_t count = 0; (count = ::read(master_, buffer, sizeof buffer)) > 0;)
            received.append(buffer, count);
        return received;
    }
    termios lineSettings() const {
        termios settings{};
        tcgetattr(slave_, &settings);
        return settings;
    }

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
};

QList<QByteArray> lines(const QSignalSpy& spy) {
    QList<QByteArray> result;
    for (const auto& arguments : spy)
        result.append(arguments.at(0).toByteArray());
    return result;
}

} // namespace

class SerialLinkTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<PseudoTerminal> terminal_;
    AppState state_;
    RecordingPrompts prompts_;
    std::unique_ptr<MessageBoxes> boxes_;
    std::unique_ptr<SerialLink> link_;

    // Opens the link on COM(index + 1), linked to the pseudo-terminal.
    void openLink(int comPortIndex = 0) {
        const QString name = QStringLiteral("COM%1").arg(comPortIndex + 1);
        QVERIFY(QFile::link(terminal_->slavePath(), folder_->filePath(name)));
        state_.comPortIndex = comPortIndex;
        link_->openSerialPort();
        QVERIFY(link_->isOpen());
        QCOMPARE(prompts_.texts(), QStringList{});
    }

    // Sends bytes from the device and waits until the link has taken them all (the line keeps
    // XON and XOFF to itself).
    void sendAndWait(const QByteArray& bytes, const QSignalSpy& spy) {
        const auto taken = [&] {
            qsizetype handed = link_->serialLineLength();
            for (const QByteArray& line : lines(spy))
                handed += line.size();
            return handed;
        };
        const qsizetype expected =
            taken() + bytes.size() - bytes.count('\x11') - bytes.count('\x13');
        terminal_->send(bytes);
        QTRY_COMPARE_WITH_TIMEOUT(taken(), expected, 2000);
    }

    QByteArray receive(qsizetype size) {
        QByteArray received;
        [&] { QTRY_COMPARE_WITH_TIMEOUT((received += terminal_->take()).size(), size, 3000); }();
        return received;
    }

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        terminal_ = std::make_unique<PseudoTerminal>();
        QVERIFY(terminal_->isValid());
        state_ = AppState{};
        prompts_.clear();
        boxes_ = std::make_unique<MessageBoxes>(prompts_, state_);
        link_ = std::make_unique<SerialLink>(state_, *boxes_, ConfigFolder(folder_->path()));
    }

    void cleanup() {
        link_.reset(); // closes the port before the terminal goes
        terminal_.reset();
    }

    void appliesLineSettings() {
        openLink(3); // "COM4"
        QCOMPARE(link_->devicePath(), terminal_->slavePath());
        const termios line = terminal_->lineSettings();
        QCOMPARE(cfgetospeed(&line), speed_t(B9600));
        QCOMPARE(cfgetispeed(&line), speed_t(B9600));
        QCOMPARE(line.c_cflag & (CSIZE | CSTOPB | CRTSCTS | CREAD),
                 tcflag_t(CS8 | CRTSCTS | CREAD));
        QCOMPARE(line.c_iflag & (IXON | IXOFF | IGNPAR | IXANY | INPCK | PARMRK),
                 tcflag_t(IXON | IXOFF | IGNPAR));
        QCOMPARE(line.c_cc[VSTART], cc_t(0x11));
        QCOMPARE(line.c_cc[VSTOP], cc_t(0x13));
        QCOMPARE(line.c_lflag & (ICANON | ECHO), tcflag_t(0));
        // Even parity cannot be seen here: a pseudo-terminal refuses PARENB, which the link
        // accepts of a pseudo-terminal only (no "Miss! Set Comm State" in openLink).
    }

    void namesComPorts() {
        const ConfigFolder folder(folder_->path());
        QCOMPARE(serialDevicePath(folder, 3), QStringLiteral("/dev/ttyS3"));
        QCOMPARE(serialDevicePath(folder, 6), QString());
        QVERIFY(QFile::link("/nonexistent/ttyUSB7", folder_->filePath("COM2")));
        QCOMPARE(serialDevicePath(folder, 1), folder_->filePath("COM2"));
    }

    void missingPortShowsFiveMessages() {
        QVERIFY(QFile::link("/nonexistent/ttyUSB7", folder_->filePath("COM1")));
        link_->openSerialPort();
        QVERIFY(!link_->isOpen());
        QCOMPARE(prompts_.texts(),
                 (QStringList{"Miss! File Open", "Miss! Mask Set", "Miss! Buffer Set",
                              "Miss! Time Out Set", "Miss! Set Comm State"}));
        for (const MessageBoxRequest& box : std::as_const(prompts_.boxes)) {
            QCOMPARE(box.caption, QStringLiteral("Error"));
            QCOMPARE(box.icon, BoxIcon::Exclamation);
        }
        link_->write("CEL0\r\n"); // dropped without a message
        QCOMPARE(link_->pendingOutput(), qint64(0));
        QCOMPARE(prompts_.boxes.size(), 5);
    }

    void replyLines_data() {
        QTest::addColumn<QList<QByteArray>>("reads");
        QTest::addColumn<QList<QByteArray>>("expected");
        QTest::addColumn<qsizetype>("leftOver");
        const QByteArray longest = QByteArray(597, 'A') + "\r\n";
        QTest::newRow("split in two reads")
            << QList<QByteArray>{"GO", "\r\n"} << QList<QByteArray>{"GO\r\n"} << qsizetype(0);
        QTest::newRow("two lines in one read")
            << QList<QByteArray>{"03GO\r\n03E3\r\n"} << QList<QByteArray>{"03GO\r\n", "03E3\r\n"}
            << qsizetype(0);
        QTest::newRow("read ending in CR")
            << QList<QByteArray>{"GO\r"} << QList<QByteArray>{} << qsizetype(3);
        QTest::newRow("CR then LF")
            << QList<QByteArray>{"GO\r", "\nGN"} << QList<QByteArray>{"GO\r\n"} << qsizetype(2);
        QTest::newRow("longest line")
            << QList<QByteArray>{longest} << QList<QByteArray>{longest} << qsizetype(0);
    }

    void replyLines() {
        QFETCH(QList<QByteArray>, reads);
        QFETCH(QList<QByteArray>, expected);
        QFETCH(qsizetype, leftOver);
        openLink();
        QSignalSpy spy(link_.get(), &SerialLink::replyLine);
        for (const QByteArray& read : reads)
            sendAndWait(read, spy);
        QCOMPARE(lines(spy), expected);
        QCOMPARE(link_->serialLineLength(), leftOver);
    }

    void overlongLineIsDiscarded() {
        openLink();
        QSignalSpy spy(link_.get(), &SerialLink::replyLine);
        sendAndWait(QByteArray(400, 'A'), spy);
        // 600 bytes with the line end: one more than a reply may have.
        terminal_->send(QByteArray(198, 'A') + "\r\n" + "GO\r\n");
        QVERIFY(spy.wait(2000));
        terminal_->send(QByteArray(5000, 'B') + "\nGN\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 2, 5000);
        QCOMPARE(lines(spy), (QList<QByteArray>{"GO\r\n", "GN\r\n"}));
        QCOMPARE(link_->serialLineLength(), qsizetype(0));
    }

    void linesKeepTheirOrderWhileABoxIsOpen() {
        openLink();
        QList<QByteArray> handled;
        connect(link_.get(), &SerialLink::replyLine, this, [&](const QByteArray& line) {
            handled.append(line);
            if (line == "A\r\n") {
                // The handler shows a box: the event loop runs while the next line arrives.
                terminal_->send("B\r\n");
                QTest::qWait(100);
            }
        });
        terminal_->send("A\r\nC\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 3, 2000);
        QCOMPARE(handled, (QList<QByteArray>{"A\r\n", "C\r\n", "B\r\n"}));
    }

    void writesKeepTheirOrder() {
        openLink();
        link_->write("03P01T05\r\n");
        link_->write("03CEL0\r\n");
        link_->write(QByteArray(590, 'C') + "\r\n");
        const QByteArray expected = "03P01T05\r\n03CEL0\r\n" + QByteArray(590, 'C') + "\r\n";
        QCOMPARE(receive(expected.size()), expected);
        QTRY_COMPARE(link_->pendingOutput(), qint64(0));
    }

    void xoffHoldsOutputUntilXonOrTimeout() {
        openLink();
        QSignalSpy spy(link_.get(), &SerialLink::replyLine);
        sendAndWait("\x13R1\r\n", spy); // the line behind the XOFF shows it has been taken
        link_->write("P01T05\r\n");
        sendAndWait("R2\r\n", spy); // a turn of the event loop in which the bytes could go
        QCOMPARE(terminal_->take(), QByteArray());
        QCOMPARE(link_->pendingOutput(), qint64(8));
        terminal_->send("\x11");
        QCOMPARE(receive(8), QByteArray("P01T05\r\n"));

        // Held past its time-out, a write is dropped rather than sent when the line frees.
        sendAndWait("\x13R3\r\n", spy);
        link_->write("CEL0\r\n");
        sendAndWait("R4\r\n", spy);
        QCOMPARE(link_->pendingOutput(), qint64(6));
        link_->writeTimedOut();
        QCOMPARE(link_->pendingOutput(), qint64(0));
        terminal_->send("\x11");
        link_->write("CWL1\r\n");
        QCOMPARE(receive(6), QByteArray("CWL1\r\n"));
    }

    void unansweredWriteShowsNoConnect() {
        openLink();
        SettingsDocument document;
        RecordingTcpChannel tcp;
        ReplyHandler replies(state_, document, *boxes_);
        CommandSender sender(state_, *boxes_, replies, *link_, tcp);
        connect(link_.get(), &SerialLink::replyLine, &replies, &ReplyHandler::handleSerialReply);

        sender.sendSerialCommand("CEL0\r\n");
        QCOMPARE(receive(6), QByteArray("CEL0\r\n"));
        terminal_->send("GO\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(state_.replyPending, 0, 2000);
        QCOMPARE(prompts_.texts(), QStringList{"Success"});

        prompts_.clear();
        sender.sendSerialCommand("CEL1\r\n");
        QCOMPARE(receive(6), QByteArray("CEL1\r\n"));
        for (int tick = 0; tick < 6; ++tick)
            sender.checkReplyTimeout();
        QCOMPARE(prompts_.texts(), QStringList{});
        sender.checkReplyTimeout(); // the seventh tick of the 500 ms timer gives up
        QCOMPARE(prompts_.texts(), QStringList{"No Connect"});
        QCOMPARE(state_.replyPending, 0);
    }
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "tst_seriallink.moc"
