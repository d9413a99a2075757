#include "app/Program.h"
#include "link/LinkSettings.h"
#include "sim/TcpDeviceClients.h"
#include "sim/TcpDeviceServer.h"
#include "support/Files.h"
#include "support/RecordingPrompts.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef ZEV_SIM_POSIX
#include "sim/SerialDeviceBus.h"
#endif

// The status bar of the running program, its links joined to simulated devices through the
// connection dialogs as the operator joins them, with boxes that stay open while it happens.

namespace {

enum class Link { TcpClient, TcpServer, Rs232c };

} // namespace

Q_DECLARE_METATYPE(Link)

class StatusBarTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder;
    RecordingPrompts prompts;
    std::unique_ptr<Program> program;
    // The device of each link; reset, it leaves.
    std::unique_ptr<sim::TcpDeviceServer> listening;
    std::unique_ptr<sim::TcpDeviceClients> connecting;
#ifdef ZEV_SIM_POSIX
    std::unique_ptr<sim::SerialDeviceBus> bus;
#endif

    QString shown(const char* part) {
        return program->window().findChild<QLabel*>(part)->text();
    }

    // Acts in the dialog that the menu item opens, then closes it.
    void inDialog(MenuItem item, const std::function<void(QWidget*)>& act) {
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            act(dialog);
            dialog->close();
        });
        program->window().menuItem(item)->trigger();
    }

    // The serial device on a new pseudo-terminal that COM1 names; where there is one.
    bool plugInSerialDevice() {
#ifdef ZEV_SIM_POSIX
        bus = std::make_unique<sim::SerialDeviceBus>();
        return bus->open() && bus->linkSlave(folder.filePath("COM1"));
#else
        return false;
#endif
    }
    void unplugSerialDevice() {
#ifdef ZEV_SIM_POSIX
        bus.reset();
#endif
    }

    // The operator connects the device (the server role: chooses it); the link part's text.
    QString connect(Link link) {
        if (link == Link::TcpClient) {
            inDialog(MenuItem::TcpSettings, [&](QWidget* dialog) {
                QTest::mouseClick(dialog->findChild<QPushButton*>("connectButton"), Qt::LeftButton);
                QTRY_VERIFY(program->tcpLink().tcpConnected());
            });
            return "TCP クライアント 127.0.0.1:" + QString::number(listening->serverPort());
        }
        if (link == Link::TcpServer) {
            inDialog(MenuItem::TcpSettings, [&](QWidget* dialog) {
                if (!program->tcpLink().isListening()) {
                    dialog->findChild<QLineEdit*>("portEdit")->clear(); // any free port
                    QTest::mouseClick(dialog->findChild<QPushButton*>("startButton"),
                                      Qt::LeftButton);
                    connecting->connectToProgram("127.0.0.1", program->tcpLink().listeningPort());
                }
                auto* list = dialog->findChild<QListWidget*>("clientList");
                QTRY_COMPARE(list->count(), 1);
                const QPoint row = list->visualItemRect(list->item(0)).center();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
            });
            return "TCP サーバー ポート " + QString::number(program->tcpLink().listeningPort());
        }
        return "COM1 " + program->serialLink().devicePath() + " RS-232C";
    }

    // The program with its settings file, on the link's interface, and the device listening,
    // connecting or on the line (unless the serial device is yet to come).
    void start(Link link, const QByteArray& settings = {}, bool serialDeviceThere = true) {
        QByteArray lines = "[ZEV-530TQ_Section]\r\n" + settings;
        if (link == Link::TcpClient) {
            listening = std::make_unique<sim::TcpDeviceServer>();
            QVERIFY(listening->listen());
            lines += "Interface=1\r\nlist_count=1\r\nselect_number=0\r\nip00_0=127\r\nip00_1=0\r\n"
                     "ip00_2=0\r\nip00_3=1\r\nport_number=" +
                     QByteArray::number(listening->serverPort()) + "\r\n";
        } else if (link == Link::TcpServer) {
            connecting = std::make_unique<sim::TcpDeviceClients>(1);
            lines += "Interface=1\r\nClientServer=1\r\n";
        } else {
            QVERIFY(!serialDeviceThere || plugInSerialDevice());
            lines += "Interface=0\r\n";
        }
        writeFile(folder.filePath("zev530tq.ini"), lines);
        program = std::make_unique<Program>(prompts, ConfigFolder(folder.path()));
        program->start();
        program->window().show();
    }

    // The serial device comes back, and the reopen timer's tick finds it. The tick comes
    // reopenInterval after a loss, long after the command sender has taken the loss, which is
    // queued: so it is here.
    void plugInAndReopen() {
        QCoreApplication::processEvents();
        QVERIFY(plugInSerialDevice());
        program->serialLink().reopenPort();
    }

    // Sends a line and waits until the device's answer has been acted on.
    void send(const QByteArray& line) {
        QSignalSpy interpreted(&program->sender(), &CommandSender::replyInterpreted);
        program->sender().send(line);
        QVERIFY(interpreted.wait());
    }

private slots:
    void init() {
        prompts.clear();
        prompts.whileShown = nullptr;
    }
    void cleanup() {
        program.reset();
        listening.reset();
        connecting.reset();
        unplugSerialDevice();
    }

    void followsTheLinkThroughADropAndAReturn_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("dropped");
        QTest::addColumn<QString>("back"); // by itself, while the box is still open
        QTest::newRow("TCP client") << Link::TcpClient << "接続済み"
                                    << "未接続"
                                    << "未接続";
        QTest::newRow("TCP server") << Link::TcpServer << "送信先 127.0.0.1:%1（接続 1 台）"
                                    << "待ち受け中（接続 0 台）"
                                    << "待ち受け中（接続 1 台）";
#ifdef ZEV_SIM_POSIX
        QTest::newRow("RS-232C") << Link::Rs232c << "オープン"
                                 << "切断・再試行中"
                                 << "オープン";
#endif
    }

    // The device leaves while the success box of a line is open, and comes back (the serial port
    // is opened again, a device connects to the server again); the client is connected again by
    // the operator afterwards. The status bar says each step as it happens.
    void followsTheLinkThroughADropAndAReturn() {
        QFETCH(Link, link);
        QFETCH(QString, up);
        QFETCH(QString, dropped);
        QFETCH(QString, back);
        start(link);
        const auto target = [&] { return connecting ? up.arg(connecting->localPort(0)) : up; };
        const QString linkText = connect(link);
        QCOMPARE(shown("linkLabel"), linkText);
        QCOMPARE(shown("linkStateLabel"), target());
        QCOMPARE(shown("exchangeLabel"), QString());
        prompts.clear();

        prompts.whileShown = [&](const MessageBoxRequest& box) {
            if (box.text != "Success" && box.text != "Socket ＯＫ")
                return;
            QVERIFY(shown("exchangeLabel").endsWith("　CWL1 → 受け付けました"));
            if (listening)
                listening->disconnectClients();
            else if (connecting)
                connecting->disconnectDevice(0);
            else
                unplugSerialDevice();
            QTRY_COMPARE(shown("linkStateLabel"), dropped);
            if (connecting)
                connecting->connectToProgram("127.0.0.1", program->tcpLink().listeningPort());
            else if (!listening)
                plugInAndReopen();
            QTRY_COMPARE(shown("linkStateLabel"), back);
        };
        send("CWL1\r\n");
        QCOMPARE(prompts.boxes.size(), 1);
        prompts.whileShown = nullptr;

        // The serial device is back on another pseudo-terminal.
        QCOMPARE(shown("linkLabel"), link == Link::Rs232c ? connect(link) : linkText);
        if (link != Link::Rs232c)
            connect(link);
        QCOMPARE(shown("linkStateLabel"), target());
        send("CWL2\r\n");
        QVERIFY(shown("exchangeLabel").endsWith("　CWL2 → 受け付けました"));
    }

#ifdef ZEV_SIM_POSIX
    // A serial device that is not there at start-up: while the boxes of its port are open the
    // status bar already says the port is tried again; it says open, naming the device, once the
    // device has come.
    void serialDeviceComingAfterStartUp() {
        QStringList statesInBoxes;
        prompts.whileShown = [&](const MessageBoxRequest&) {
            statesInBoxes << shown("linkStateLabel");
        };
        QVERIFY(QFile::link(folder.filePath("unplugged"), folder.filePath("COM1")));
        start(Link::Rs232c, {}, false);
        QCOMPARE(prompts.texts(),
                 QStringList({"Miss! File Open", "Miss! Mask Set", "Miss! Buffer Set",
                              "Miss! Time Out Set", "Miss! Set Comm State"}));
        QCOMPARE(statesInBoxes, QStringList(5, "切断・再試行中"));
        plugInAndReopen();
        QCOMPARE(shown("linkStateLabel"), "オープン");
        QCOMPARE(shown("linkLabel"), "COM1 " + program->serialLink().devicePath() + " RS-232C");
    }
#endif

    void successBoxesOrTheStatusLine_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("success"); // its box or its line
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<bool>("boxes");
        QTest::newRow("TCP, a settings file of before")
            << Link::TcpClient << QByteArray() << "Socket ＯＫ"
            << "Socket Command" << true;
        QTest::newRow("TCP, boxes off")
            << Link::TcpClient << QByteArray("success_boxes=0\r\n") << "Socket ＯＫ"
            << "Socket Command" << false;
#ifdef ZEV_SIM_POSIX
        QTest::newRow("RS-232C, boxes off")
            << Link::Rs232c << QByteArray("success_boxes=0\r\n") << "Success"
            << "Command Error" << false;
#endif
    }

    // Off, "GO" shows its box's text in the status bar until the next line is sent; a refusal and
    // the end of a read-back still open their boxes. The menu item turns it over at once and
    // keeps it in the settings file.
    void successBoxesOrTheStatusLine() {
        QFETCH(Link, link);
        QFETCH(QByteArray, settings);
        QFETCH(QString, success);
        QFETCH(QString, refusal);
        QFETCH(bool, boxes);
        start(link, settings);
        connect(link);
        prompts.clear();
        QAction* item = program->window().menuItem(MenuItem::SuccessBoxes);
        for (bool shownAsBoxes : {boxes, !boxes}) {
            QCOMPARE(item->isChecked(), shownAsBoxes);
            send("CWL1\r\n");
            QCOMPARE(prompts.texts(), shownAsBoxes ? QStringList{success} : QStringList());
            QCOMPARE(shown("exchangeLabel").mid(8),
                     "　CWL1 → " + (shownAsBoxes ? "受け付けました" : success));
            send("CWL9\r\n");
            QVERIFY(shown("exchangeLabel").endsWith("　CWL9 → エラー応答 E3"));
            send("RCT02B64\r\n");
            QCOMPARE(prompts.texts().mid(shownAsBoxes ? 1 : 0),
                     QStringList({refusal, "Read ＯＫ"}));
            prompts.clear();
            item->trigger();
            ViewSettings kept;
            loadViewSettings(kept, program->settingsFile());
            QCOMPARE(kept.successBoxes, !shownAsBoxes);
        }
    }

    // The file name with its mark, while the title editor changes a title, and after the save.
    void followsTheDocument() {
        start(Link::TcpServer);
        QCOMPARE(shown("documentLabel"), "無題");
        const QString path = folder.filePath("show.dat");
        prompts.chooseNext(path);
        program->window().menuItem(MenuItem::SaveDocumentAs)->trigger();
        QTRY_COMPARE(shown("documentLabel"), "show.dat");
        inDialog(MenuItem::Title, [&](QWidget* dialog) {
            auto* edit = dialog->findChild<QLineEdit*>("titleEdit");
            edit->selectAll();
            QInputMethodEvent typed;
            typed.setCommitString("本日のニュース");
            QApplication::sendEvent(edit, &typed);
            QTRY_COMPARE(shown("documentLabel"), "show.dat *");
        });
        program->window().menuItem(MenuItem::SaveDocument)->trigger();
        QTRY_COMPARE(shown("documentLabel"), "show.dat");
        QCOMPARE(prompts.unexpected, 0);
    }
};

QTEST_MAIN(StatusBarTest)
#include "tst_statusbar.moc"
