#include "app/Program.h"
#include "app/TrafficModel.h"
#include "app/TrafficWindow.h"
#include "core/TrafficLogFile.h"
#include "link/TrafficLog.h"
#include "support/Files.h"
#include "support/LinkedDevice.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>

// The traffic window over the program's real links to the simulated device.

namespace {

// A window of its own over the device's command sender.
struct OpenWindow {
    explicit OpenWindow(LinkedDevice& device)
        : settings(device.configFolder.filePath("zev530tq.ini")),
          window(view, settings, device.sender, device.prompts) {
        window.open();
    }

    // The rows without their dates and times.
    QStringList rows() {
        window.model().addQueued();
        QStringList rows = window.shownRows();
        for (QString& row : rows)
            row = row.section('\t', 1);
        return rows;
    }

    ViewSettings view;
    ProfileFile settings;
    TrafficWindow window;
};

void sendAndWait(LinkedDevice& device, const QByteArray& line) {
    QSignalSpy finished(&device.sender, &CommandSender::exchangeFinished);
    device.sender.send(line);
    QVERIFY(finished.wait());
}

} // namespace

class TrafficWindowTest : public QObject {
    Q_OBJECT
private slots:
    void linesAndOutcomes_data() { tcpAndRs485Rows(); }

    // Each line with its link and RS-485 address, then what became of it; the log file takes the
    // same lines from the same stream. Closed, the window takes nothing more.
    void linesAndOutcomes() {
        QFETCH(LinkedDevice::Link, link);
        LinkedDevice device;
        QCOMPARE(device.start(link, {5}), QString());
        device.state.link.slaveAddress = 5;
        const bool rs485 = link == LinkedDevice::Link::Rs485;
        const QString name =
            rs485 ? "serial " + device.serial.devicePath()
                  : "tcp 127.0.0.1:" +
                        QString::fromLatin1(device.state.link.portNumberText.toByteArray());
        const QString address = rs485 ? "05" : "";
        OpenWindow open(device);
        const QString logPath = device.configFolder.filePath("traffic.log");
        {
            TrafficLogFile log;
            QVERIFY(log.open(logPath));
            sendAndWait(device, "CWL1\r\n");
            QCOMPARE(
                open.rows(),
                QStringList({"送信\t" + name + "\t" + address + "\t\"" + address + "CWL1\\r\\n\"",
                             "受信\t" + name + "\t" + address + "\t\"" + address + "GO\\r\\n\"",
                             "結果\t" + name + "\t" + address + "\tCWL1 → 受け付けました"}));
        }
        const QString logged = QString::fromUtf8(fileBytes(logPath));
        const QString prefix = rs485 ? name + " address 05" : name;
        QVERIFY(logged.contains(prefix + " sent \"" + address + "CWL1\\r\\n\"\n"));
        QVERIFY(logged.contains(prefix + " received \"" + address + "GO\\r\\n\"\n"));

        open.window.close();
        QVERIFY(!TrafficStream::hasReaders());
        sendAndWait(device, "CWL2\r\n");
        QCOMPARE(open.rows().size(), 3);
    }

    // A flood joins the rows in batches, never line by line, and only the newest rows stay. The
    // view follows the newest row, unless the operator has scrolled away from it.
    void floodIsBatchedAndBounded() {
        LinkedDevice device;
        OpenWindow open(device);
        TrafficModel& model = open.window.model();
        const auto flood = [](int from, int count) {
            for (int line = from; line < from + count; ++line)
                logTraffic("tcp 127.0.0.1:9004", TrafficDirection::Received,
                           "X" + QByteArray::number(line) + "\r\n");
        };
        flood(0, 25000);
        QCOMPARE(model.rowCount(), 0);
        QTRY_COMPARE(model.rowCount(), TrafficModel::capacity);
        QVERIFY(model.rowText(0).endsWith("\t\"X15000\\r\\n\""));
        QVERIFY(model.rowText(TrafficModel::capacity - 1).endsWith("\t\"X24999\\r\\n\""));
        QScrollBar* scrolling = open.window.findChild<QTableView*>()->verticalScrollBar();
        QTRY_VERIFY(scrolling->maximum() > 0);
        QCOMPARE(scrolling->value(), scrolling->maximum());
        scrolling->setValue(10);
        flood(25000, 100);
        QTRY_VERIFY(model.rowText(TrafficModel::capacity - 1).endsWith("\t\"X25099\\r\\n\""));
        // The rows dropped at the top may move the view a little; it must not jump to the end.
        QVERIFY(scrolling->value() < scrolling->maximum() / 2);
    }

    // The search keeps the rows with its text; the rows selected, or without a selection those
    // shown, are copied.
    void searchAndCopy() {
        LinkedDevice device;
        QCOMPARE(device.start(LinkedDevice::Link::TcpClient), QString());
        OpenWindow open(device);
        sendAndWait(device, "CWL1\r\n");
        sendAndWait(device, "CWL9\r\n");
        open.window.findChild<QLineEdit*>("searchEdit")->setText("e3");
        QCOMPARE(open.rows().size(), 2);
        const QStringList shown = open.window.shownRows();
        QVERIFY(shown[0].endsWith("\t\"E3\\r\\n\""));
        QVERIFY(shown[1].endsWith("\tCWL9 → エラー応答 E3"));

        open.window.findChild<QPushButton*>("copyButton")->click();
        QCOMPARE(QApplication::clipboard()->text(), shown.join('\n'));
        auto* table = open.window.findChild<QTableView*>("trafficTable");
        table->selectRow(1);
        open.window.copyRows();
        QCOMPARE(QApplication::clipboard()->text(), shown[1]);
    }

    void saveAsText_data() {
        QTest::addColumn<QString>("name");     // of what the operator chose, in the folder
        QTest::addColumn<QByteArray>("there"); // a file there before; "/": a folder
        QTest::addColumn<bool>("saved");
        QTest::newRow("a new file") << "traffic.txt" << QByteArray() << true;
        QTest::newRow("a file replaced") << "traffic.txt" << QByteArray("before\n") << true;
        QTest::newRow("a folder in the way") << "traffic.txt" << QByteArray("/") << false;
        QTest::newRow("in a file, not a folder")
            << "traffic.txt/lines.txt" << QByteArray("before\n") << false;
    }

    // The rows shown are saved as text, replacing the file safely; a file that cannot be saved
    // is said in a box, while the window goes on taking the traffic, and what was there stays.
    void saveAsText() {
        QFETCH(QString, name);
        QFETCH(QByteArray, there);
        QFETCH(bool, saved);
        LinkedDevice device;
        QCOMPARE(device.start(LinkedDevice::Link::TcpClient), QString());
        OpenWindow open(device);
        sendAndWait(device, "CWL1\r\n");
        open.window.model().addQueued();
        const QStringList shown = open.window.shownRows();
        QCOMPARE(shown.size(), 3);
        const QString existing = device.configFolder.filePath("traffic.txt");
        if (there == "/")
            QVERIFY(QDir().mkdir(existing));
        else if (!there.isEmpty())
            writeFile(existing, there);

        device.state.view.successBoxes = false; // the failure's box is the only one
        device.prompts.clear();
        device.prompts.openMilliseconds = 1500;
        device.prompts.whileShown = [&](const MessageBoxRequest&) {
            device.sender.send("CWL2\r\n");
            QTRY_VERIFY(open.window.shownRows().last().endsWith("\tCWL2 → 受け付けました"));
        };
        device.prompts.chooseNext(device.configFolder.filePath(name));
        open.window.findChild<QPushButton*>("saveButton")->click();
        if (saved) {
            QCOMPARE(device.prompts.boxes.size(), 0);
            QCOMPARE(QString::fromUtf8(fileBytes(existing)), shown.join('\n') + '\n');
            return;
        }
        QCOMPARE(device.prompts.boxes.size(), 1);
        const MessageBoxRequest& box = device.prompts.boxes[0];
        QCOMPARE(box.owner, &open.window);
        QCOMPARE(box.caption, "Error");
        QCOMPARE(box.text, "保存できませんでした");
        QVERIFY(!box.detail.isEmpty());
        if (there == "/")
            QVERIFY(QFileInfo(existing).isDir());
        else
            QCOMPARE(fileBytes(existing), there);
    }

    // The menu item opens the window where it was closed, in this run and the next, also when
    // the program ends with it open.
    void placeKeptAcrossRuns() {
        QTemporaryDir folder;
        writeFile(folder.filePath("zev530tq.ini"), "[ZEV-530TQ_Section]\r\nInterface=1\r\n");
        RecordingPrompts prompts;
        const auto run = [&](const QRect& placeShown, const QRect& placeLeft) {
            Program program(prompts, ConfigFolder(folder.path()));
            program.start();
            program.window().show();
            program.window().menuItem(MenuItem::TrafficWindow)->trigger();
            TrafficWindow* window = program.window().trafficWindow();
            QVERIFY(window->isVisible());
            if (placeShown.isValid())
                QCOMPARE(QRect(window->pos(), window->size()), placeShown);
            window->resize(placeLeft.size());
            window->move(placeLeft.topLeft());
            QVERIFY(program.window().close());
        };
        run({}, {40, 300, 700, 260});
        QCOMPARE(fileBytes(folder.filePath("zev530tq.ini")),
                 "[ZEV-530TQ_Section]\r\nInterface=1\r\ntraffic_window=40,300,700,260\r\n");
        run({40, 300, 700, 260}, {60, 320, 640, 240});
        run({60, 320, 640, 240}, {60, 320, 640, 240});
        QCOMPARE(prompts.unexpected, 0);
    }
};

QTEST_MAIN(TrafficWindowTest)
#include "tst_trafficwindow.moc"
