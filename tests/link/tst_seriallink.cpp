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
    std::unique_ptr<QSignalSpy> errors_;

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
        link_ = std::make_unique<SerialLink>(state_, ConfigFolder(folder_->path()));
        errors_ = std::make_unique<QSignalSpy>(link_.get(), &SerialLink::errorOccurred);
    }

    void cleanup() {
        errors_.reset();
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
        QStringList reported;
        for (const auto& arguments : *errors_) {
            QCOMPARE(arguments[0].value<LineChannel::Failure>(), LineChannel::Failure::PortSetup);
            reported << arguments[1].toString();
        }
        QCOMPARE(reported, (QStringList{"Miss! File Open", "Miss! Mask Set", "Miss! Buffer Set",
                                        "Miss! Time Out Set", "Miss! Set Comm State"}));
    }

    // COM4 is opened with the device's line settings, and a command left unanswered ends in
    // "No Connect". (How reply lines are framed: tst_replylines.)
    void settingsAndNoConnect() {
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

        QVERIFY(errors_->isEmpty());
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
