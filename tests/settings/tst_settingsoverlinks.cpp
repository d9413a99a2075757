#include "DialogDriving.h"
#include "commands/DeviceAddressCommands.h"
#include "commands/DisplayPageCommands.h"
#include "settings/ReadBackDialog.h"

// The small setting dialogs against the simulated device over a TCP and an RS-485 link.

using Link = LinkedDevice::Link;

class SettingsOverLinksTest : public QObject {
    Q_OBJECT
private slots:
    // Damaged values go as the nearest; an address below 0 is Broadcast, as in the prefix.
    void composedLines() {
        QCOMPARE(QList({displayPageLine(0, 65), deviceAddressLine(32), deviceAddressLine(-1)}),
                 QList<QByteArray>({"P01TAS\r\n", "SA32\r\n", "SA32\r\n"}));
    }

    void choicesReachTheDevice_data() { tcpAndRs485Rows(); }

    // Every dialog's choice goes out as its exact line, the answer shows as the link's box. On
    // RS-485 a broadcast is carried out by every device, answered by none and not waited for.
    void choicesReachTheDevice() {
        QFETCH(Link, link);
        LinkedDialogs linked;
        QCOMPARE(linked.start(link, {3, 7}), QString());
        linked.state.link.slaveAddress = 7;
        sim::Device* device = linked.devices.last();
        const bool serial = link == Link::Rs485;
        const QByteArray deviceAddress = serial ? "07" : "05";
        const std::tuple<int, const char*, int, const char*, QByteArray> steps[] = {
            {109, "ch1BottomList", 9, "ch1BottomSetButton", "P01B10"},
            {110, "ch2BottomList", 64, "ch2BottomSetButton", "SUS02BAS"},
            {111, "whiteLevelList", 3, "whiteLevelSetButton", "CWL3"},
            {111, "edgeLevelList", 0, "edgeLevelSetButton", "CEL0"}, // refused
            {116, "ch2TopList", 15, "ch2TopSetButton", "CTDPO02T15"},
            {125, "slaveAddressList", deviceAddress.toInt(), "setButton", "SA" + deviceAddress},
        };
        QList<QByteArray> lines;
        for (const auto& [dialog, listName, index, button, line] : steps) {
            const auto window = openDialog(dialog, linked.context);
            choose(list(*window, listName), index);
            device->refuseNext(line == "CEL0", "E3");
            press(*window, button);
            lines << line;
            QTRY_COMPARE(linked.prompts.boxes.size(), lines.size());
        }
        QCOMPARE(device->receivedLines(), lines);
        QStringList boxes(6, serial ? "Success" : "Socket ＯＫ");
        boxes[3] = serial ? "Command Error" : "Socket Command";
        QCOMPARE(linked.prompts.texts(), boxes);
        if (!serial)
            return;

        DisplayPageDialog window(linked.context);
        choose(list(window, "slaveAddressList"), LinkConfiguration::broadcastAddress);
        choose(list(window, "ch1TopList"), 64);
        press(window, "ch1TopSetButton");
        for (sim::Device* each : linked.devices)
            QTRY_COMPARE(each->displayPage(0), 64);
        QCOMPARE(linked.devices.first()->receivedLines(), QList<QByteArray>{"P01TAS"});
        QVERIFY(linked.devices.first()->sentReplies().isEmpty());
        QCOMPARE(device->sentReplies().size(), 6);
        for (int tick = 0; tick < 10; ++tick) // "No Connect" would come at the seventh
            linked.sender.checkReplyTimeout();
        QCOMPARE(linked.prompts.boxes.size(), 6);
    }

    // The read-back overwrites the document: it opens on Close, and Enter closes it unread.
    void enterNeverStartsTheReadBack() {
        DialogBench bench;
        ReadBackDialog dialog(bench.context);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget()->objectName(), "closeButton");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!bench.sender.isRunGoing() && bench.serial.writes.isEmpty());
    }
};

QTEST_MAIN(SettingsOverLinksTest)
#include "tst_settingsoverlinks.moc"
