#include "DialogDriving.h"
#include "sim/Device.h"
#include "support/LinkedDevice.h"

// The setting dialogs against the simulated device over every kind of link: what the operator
// chooses reaches the device, and the device's answer reaches the operator.

using Link = LinkedDevice::Link;
Q_DECLARE_METATYPE(LinkedDevice::Link)

class SettingsOverLinksTest : public QObject {
    Q_OBJECT
private slots:
    void choicesReachTheDevice_data();
    void choicesReachTheDevice();
    void broadcastIsCarriedOutWithoutAnswer();
};

void SettingsOverLinksTest::choicesReachTheDevice_data() {
    QTest::addColumn<Link>("link");
    QTest::newRow("TCP, program as client") << Link::TcpClient;
    QTest::newRow("TCP, program as server") << Link::TcpServer;
#ifdef ZEV_SIM_POSIX
    QTest::newRow("RS-232C") << Link::Rs232c;
    QTest::newRow("RS-485") << Link::Rs485;
#endif
}

// Every dialog's choice goes to the device as its exact line and the answer shows as a box;
// a refused line shows the error of its link.
void SettingsOverLinksTest::choicesReachTheDevice() {
    QFETCH(Link, link);
    LinkedDevice linked(link, {3, 7});
    QVERIFY2(linked.start(), qPrintable(linked.errorString()));
    linked.state.slaveAddress = 7;
    DialogContext context{linked.state, linked.document, linked.boxes, linked.sender};
    sim::Device* device = link == Link::Rs485 ? linked.deviceWithAddress(7) : linked.device();
    const bool serial = link == Link::Rs232c || link == Link::Rs485;

    // On RS-485 the device address goes to the address it already has, the one the line carries.
    const QByteArray deviceAddress = link == Link::Rs485 ? "07" : "05";
    const struct {
        int dialog;
        const char* list;
        int index;
        const char* button;
        QByteArray line;
    } steps[] = {
        {109, "list1021", 9, "button1006", "P01B10"},
        {110, "list1023", 64, "button1008", "SUS02BAS"},
        {111, "list1058", 3, "button1009", "CWL3"},
        {111, "list1059", 0, "button1010", "CEL0"},
        {116, "list1022", 15, "button1007", "CTDPO02T15"},
        {125, "list1081", deviceAddress.toInt(), "button1083", "SA" + deviceAddress},
    };
    int sent = 0;
    for (const auto& step : steps) {
        const auto window = openDialog(step.dialog, context);
        if (link == Link::TcpServer && step.dialog == 116) // the device the operator chose
            QCOMPARE(window->windowTitle(), "表示位置の微調整 127.0.0.1");
        choose(list(*window, step.list), step.index);
        press(*window, step.button);
        ++sent;
        QTRY_COMPARE(device->receivedLines().size(), sent);
        QCOMPARE(device->receivedLines().last(), step.line);
        QTRY_COMPARE(linked.prompts.boxes.size(), sent);
        QCOMPARE(linked.prompts.boxes.last().text, serial ? "Success" : "Socket ＯＫ");
        QCOMPARE(linked.prompts.boxes.last().caption, serial ? "設定完了" : "Success");
    }
    if (link == Link::Rs485) {
        QVERIFY(linked.deviceWithAddress(3)->receivedLines().isEmpty());
        QCOMPARE(device->sentReplies().last(), "07GO\r\n");
    }
    // An answered line leaves no wait behind: the time-out shows nothing.
    for (int tick = 0; tick < 10; ++tick)
        linked.sender.checkReplyTimeout();
    QCOMPARE(linked.prompts.boxes.size(), sent);

    device->refuseNext(1, "E3");
    CharacterLevelDialog window(context);
    press(window, "button1010");
    QTRY_COMPARE(linked.prompts.boxes.size(), sent + 1);
    QCOMPARE(linked.prompts.boxes.last().text, serial ? "Command Error" : "Socket Command");
    QCOMPARE(linked.prompts.boxes.last().caption, "Error");
    QCOMPARE(linked.state.exchangeFailed, 1);
    QCOMPARE(device->receivedLines().last(), "CEL0");
}

void SettingsOverLinksTest::broadcastIsCarriedOutWithoutAnswer() {
#ifndef ZEV_SIM_POSIX
    QSKIP("no simulated serial line on this platform");
#endif
    LinkedDevice linked(Link::Rs485, {3, 7});
    QVERIFY2(linked.start(), qPrintable(linked.errorString()));
    DialogContext context{linked.state, linked.document, linked.boxes, linked.sender};

    DisplayPageDialog window(context);
    choose(list(window, "list1081"), AppState::broadcastAddress);
    choose(list(window, "list1020"), 64);
    press(window, "button1005");
    for (int address : {3, 7}) {
        sim::Device* device = linked.deviceWithAddress(address);
        QTRY_COMPARE(device->receivedLines(), QList<QByteArray>{"P01TAS"});
        QCOMPARE(device->displayPage(0), 64);
        QVERIFY(device->sentReplies().isEmpty());
    }
    for (int tick = 0; tick < 10; ++tick)
        linked.sender.checkReplyTimeout();
    QVERIFY(linked.prompts.boxes.isEmpty());

    // The same wait does end in "No Connect" when an addressed line goes unanswered.
    choose(list(window, "list1081"), 20);
    press(window, "button1005");
    for (int tick = 0; tick < 10; ++tick)
        linked.sender.checkReplyTimeout();
    QCOMPARE(linked.prompts.texts(), QStringList{"No Connect"});
}

QTEST_MAIN(SettingsOverLinksTest)
#include "tst_settingsoverlinks.moc"
