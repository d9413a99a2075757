#include "core/AppState.h"
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

QList<QByteArray> lines(const QSignalSpy& spy) {
    QList<QByteArray> result;
    for (const auto& arguments : spy)
        result.append(arguments.at(0).toByteArray());
    return result;
}

} // namespace

// The link opens the slave side of a real pseudo-terminal through a COM link in the
// configuration folder; the test plays the device on the master side.
class SerialLinkTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder_;
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    AppState state_;
    RecordingPrompts prompts_;
    MessageBoxes boxes_{prompts_, state_.dialogs};
    std::unique_ptr<SerialLink> link_;

    void send(const QByteArray& bytes) {
        QCOMPARE(::write(master_, bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    }

    QByteArray take() { // what the link has sent and nobody has taken yet
        char buffer[4096];
        return QByteArray(buffer, std::max(::read(master_, buffer, sizeof buffer), ssize_t(0)));
    }

private slots:
    void init() {
        char name[256] = {};
        QCOMPARE(openpty(&master_, &slave_, name, nullptr, nullptr), 0);
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
        slavePath_ = QString::fromLocal8Bit(name);
        folder_ = std::make_unique<QTemporaryDir>();
        state_ = AppState{};
        prompts_.clear();
        link_ = std::make_unique<SerialLink>(state_, boxes_, ConfigFolder(folder_->path()));
    }

    void cleanup() {
        link_.reset(); // closes the port before the terminal goes
        ::close(master_);
        ::close(slave_);
    }

    void missingPortShowsFiveMessages() {
        QVERIFY(QFile::link("/nonexistent/ttyUSB7", folder_->filePath("COM1")));
        link_->openSerialPort();
        QVERIFY(!link_->isOpen());
        link_->write("CEL0\r\n"); // dropped without a message
        QCOMPARE(link_->pendingOutput(), qint64(0));
        QCOMPARE(prompts_.texts(),
                 (QStringList{"Miss! File Open", "Miss! Mask Set", "Miss! Buffer Set",
                              "Miss! Time Out Set", "Miss! Set Comm State"}));
    }

    // COM4 is opened with the device's line settings; reply lines are assembled from what
    // arrives, and a command left unanswered ends in "No Connect".
    void settingsRepliesAndNoConnect() {
        QVERIFY(QFile::link(slavePath_, folder_->filePath("COM4")));
        state_.link.comPortIndex = 3;
        link_->openSerialPort();
        QVERIFY(link_->isOpen());
        QCOMPARE(link_->devicePath(), slavePath_);
        termios line{};
        QCOMPARE(tcgetattr(slave_, &line), 0);
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
        // accepts of a pseudo-terminal only (no "Miss! Set Comm State" at the end).

        QSignalSpy spy(link_.get(), &SerialLink::replyLine);
        send("GO");
        QTRY_COMPARE(link_->serialLineLength(), qsizetype(2));
        send("\r\n");
        QTRY_COMPARE(spy.size(), 1);
        send("03GO\r\n03E3\r\n");
        QTRY_COMPARE(spy.size(), 3);
        send("GN\r"); // a CR alone ends no line
        QTRY_COMPARE(link_->serialLineLength(), qsizetype(3));
        QCOMPARE(lines(spy), (QList<QByteArray>{"GO\r\n", "03GO\r\n", "03E3\r\n"}));

        // A reply has at most 599 bytes with its line end; a longer line is dropped whole.
        const QByteArray longest = QByteArray(597, 'A') + "\r\n";
        send("\n" + longest + QByteArray(400, 'B'));
        QTRY_COMPARE(spy.size(), 5);
        QTRY_COMPARE(link_->serialLineLength(), qsizetype(400));
        send(QByteArray(198, 'B') + "\r\nGO\r\n" + QByteArray(5000, 'C') + "\nGN\r\n");
        QTRY_COMPARE(spy.size(), 7);
        QCOMPARE(lines(spy).mid(3), (QList<QByteArray>{"GN\r\n", longest, "GO\r\n", "GN\r\n"}));
        QCOMPARE(link_->serialLineLength(), qsizetype(0));

        SettingsDocument document;
        RecordingTcpChannel tcp;
        CommandSender sender(state_, document, boxes_, *link_, tcp);
        sender.sendSerialCommand("CEL1\r\n");
        QByteArray received;
        QTRY_COMPARE_WITH_TIMEOUT(received += take(), QByteArray("CEL1\r\n"), 3000);
        for (int tick = 0; tick < 7; ++tick) // the seventh tick of the 500 ms timer gives up
            sender.checkReplyTimeout();
        QCOMPARE(prompts_.texts(), QStringList{"No Connect"});
    }
};

QTEST_GUILESS_MAIN(SerialLinkTest)
#include "tst_seriallink.moc"
