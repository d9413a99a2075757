#include "DialogDriving.h"

// The setting dialogs against the simulated device over a TCP and a serial link: what the
// operator chooses reaches the device, and the device's answer reaches the operator.

using Link = LinkedDevice::Link;
Q_DECLARE_METATYPE(LinkedDevice::Link)

class SettingsOverLinksTest : public QObject {
    Q_OBJECT
private slots:
    void choicesReachTheDevice_data() {
        QTest::addColumn<Link>("link");
        QTest::newRow("TCP") << Link::TcpClient;
#ifdef ZEV_SIM_POSIX
        QTest::newRow("RS-485") << Link::Rs485;
#endif
    }

    // Every dialog's choice goes to the device as its exact line and the answer shows as a box;
    // a refused line shows the error of its link. On RS-485, a broadcast is carried out by every
    // device and answered by none, and the wait for the answer ends without "No Connect".
    void choicesReachTheDevice() {
        QFETCH(Link, link);
        LinkedDevice linked;
        QCOMPARE(linked.start(link, {3, 7}), QString());
        linked.state.link.slaveAddress = 7;
        DialogContext context = contextOf(linked);
        sim::Device* device = linked.devices.last();
        const bool serial = link == Link::Rs485;

        // On RS-485 the device address goes to the address it has, the one the line carries.
        const QByteArray deviceAddress = serial ? "07" : "05";
        const std::tuple<int, const char*, int, const char*, QByteArray> steps[] = {
            {109, "ch1BottomList", 9, "ch1BottomSetButton", "P01B10"},
            {110, "ch2BottomList", 64, "ch2BottomSetButton", "SUS02BAS"},
            {111, "whiteLevelList", 3, "whiteLevelSetButton", "CWL3"},
            {111, "edgeLevelList", 0, "edgeLevelSetButton", "CEL0"},
            {116, "ch2TopList", 15, "ch2TopSetButton", "CTDPO02T15"},
            {125, "slaveAddressList", deviceAddress.toInt(), "setButton", "SA" + deviceAddress},
        };
        qsizetype sent = 0;
        for (const auto& [dialog, listName, index, button, line] : steps) {
            const auto window = openDialog(dialog, context);
            choose(list(*window, listName), index);
            press(*window, button);
            ++sent;
            QTRY_COMPARE(device->receivedLines().size(), sent);
            QCOMPARE(device->receivedLines().last(), line);
            QTRY_COMPARE(linked.prompts.boxes.size(), sent);
            QCOMPARE(linked.prompts.boxes.last().text, serial ? "Success" : "Socket ＯＫ");
        }
        device->refuseNext(1, "E3");
        CharacterLevelDialog levels(context);
        press(levels, "edgeLevelSetButton");
        QTRY_COMPARE(linked.prompts.boxes.size(), sent + 1);
        QCOMPARE(linked.prompts.boxes.last().text, serial ? "Command Error" : "Socket Command");
        if (!serial)
            return;

        QCOMPARE(device->sentReplies().first(), "07GO\r\n");
        QVERIFY(linked.devices.first()->receivedLines().isEmpty());
        DisplayPageDialog window(context);
        choose(list(window, "slaveAddressList"), LinkConfiguration::broadcastAddress);
        choose(list(window, "ch1TopList"), 64);
        press(window, "ch1TopSetButton");
        for (sim::Device* each : linked.devices) {
            QTRY_VERIFY(each->receivedLines().endsWith("P01TAS"));
            QCOMPARE(each->displayPage(0), 64);
        }
        QVERIFY(linked.devices.first()->sentReplies().isEmpty());
        QCOMPARE(device->sentReplies().size(), sent + 1);
        const auto waitOut = [&] {
            for (int tick = 0; tick < 10; ++tick)
                linked.sender.checkReplyTimeout();
        };
        waitOut();
        QCOMPARE(linked.prompts.boxes.size(), sent + 1);
        // The same wait does end in "No Connect" when an addressed line goes unanswered.
        choose(list(window, "slaveAddressList"), 20);
        press(window, "ch1TopSetButton");
        waitOut();
        QCOMPARE(linked.prompts.boxes.last().text, "No Connect");
    }
};

QTEST_MAIN(SettingsOverLinksTest)
#include "tst_settingsoverlinks.moc"
