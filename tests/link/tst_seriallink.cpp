#include "app/AppState.h"
#include "document/SettingsDocument.h"
#include "link/SerialLink.h"
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
struct PseudoTerminal {
    Q_DISABLE_COPY(PseudoTerminal)

    int master = -1;
    int slave = -1;
    QString slavePath;

    PseudoTerminal() {
        char name[256] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return;
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        slavePath = QString::fromLocal8Bit(name);
    }
    ~PseudoTerminal() {
        ::close(master);
        ::close(slave);
    }
    void send(const QByteArray& bytes) const {
        QCOMPARE(::write(master, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }
    QByteArray take() const { // what the link has sent and nobody has taken yet
        QByteArray received;
        char buffer[4096];
        for (ssize_t count = 0; (count = ::read(master, buffer, sizeof buffer)) > 0;)
            received.append(buffer, count);
        return received;
    }
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
    MessageBoxes boxes_{prompts_, state_};
    std::unique_ptr<SerialLink> link_;

    // Opens the link on COM(index + 1), linked to the pseudo-terminal.
    void openLink(int comPortIndex = 0) {
        const QString name = QStringLiteral("COM%1").arg(comPortIndex + 1);
        QVERIFY(QFile::link(terminal_->slavePath, folder_->filePath(name)));
        state_.comPortIndex = comPortIndex;
        link_->openSerialPort();
        QVERIFY(link_->isOpen());
        QCOMPARE(prompts_.texts(), QStringList{});
    }

    // Sends bytes from the device and waits until the link has taken them all.
    void sendAndWait(const QByteArray& bytes, const QSignalSpy& spy) {
        const auto taken = [&] {
            qsizetype handed = link_->serialLineLength();
            for (const QByteArray& line : lines(spy))
                handed += line.size();
            return handed;
        };
        const qsizetype expected = taken() + bytes.size();
        terminal_->send(bytes);
        QTRY_COMPARE_WITH_TIMEOUT(taken(), expected, 2000);
    }

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        terminal_ = std::make_unique<PseudoTerminal>();
        QVERIFY(terminal_->master >= 0);
        state_ = AppState{};
        prompts_.clear();
        link_ = std::make_unique<SerialLink>(state_, boxes_, ConfigFolder(folder_->path()));
    }

    void cleanup() {
        link_.reset(); // closes the port before the terminal goes
        terminal_.reset();
    }

    void appliesLineSettings() {
        openLink(3); // "COM4"
        QCOMPARE(link_->devicePath(), terminal_->slavePath);
        termios line{};
        QCOMPARE(tcgetattr(terminal_->slave, &line), 0);
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

    void missingPortShowsFiveMessages() {
        QVERIFY(QFile::link("/nonexistent/ttyUSB7", folder_->filePath("COM1")));
        link_->openSerialPort();
        QVERIFY(!link_->isOpen());
        QCOMPARE(prompts_.texts(),
                 (QStringList{"Miss! File Open", "Miss! Mask Set", "Miss! Buffer Set",
                              "Miss! Time Out Set", "Miss! Set Comm State"}));
        link_->write("CEL0\r\n"); // dropped without a message
        QCOMPARE(link_->pendingOutput(), qint64(0));
        QCOMPARE(prompts_.boxes.size(), 5);
    }

    void replyLines_data() {
        QTest::addColumn<QByteArray>("reads");    // "|" between two reads
        QTest::addColumn<QByteArray>("expected"); // "|" between two lines
        QTest::addColumn<int>("leftOver");
        const QByteArray longest = QByteArray(597, 'A') + "\r\n";
        QTest::newRow("split in two reads") << QByteArray("GO|\r\n") << QByteArray("GO\r\n") << 0;
        QTest::newRow("two lines in one read")
            << QByteArray("03GO\r\n03E3\r\n") << QByteArray("03GO\r\n|03E3\r\n") << 0;
        QTest::newRow("read ending in CR") << QByteArray("GO\r") << QByteArray() << 3;
        QTest::newRow("CR then LF") << QByteArray("GO\r|\nGN") << QByteArray("GO\r\n") << 2;
        QTest::newRow("longest line") << longest << longest << 0;
    }

    void replyLines() {
        QFETCH(QByteArray, reads);
        QFETCH(QByteArray, expected);
        QFETCH(int, leftOver);
        openLink();
        QSignalSpy spy(link_.get(), &SerialLink::replyLine);
        for (const QByteArray& read : reads.split('|'))
            sendAndWait(read, spy);
        QCOMPARE(lines(spy).join('|'), expected);
        QCOMPARE(link_->serialLineLength(), qsizetype(leftOver));
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

    void unansweredWriteShowsNoConnect() {
        openLink();
        SettingsDocument document;
        RecordingTcpChannel tcp;
        ReplyHandler replies(state_, document, boxes_);
        CommandSender sender(state_, boxes_, replies, *link_, tcp);
        sender.sendSerialCommand("CEL1\r\n");
        QByteArray received;
        QTRY_COMPARE_WITH_TIMEOUT(received += terminal_->take(), QByteArray("CEL1\r\n"), 3000);
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
