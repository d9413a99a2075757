#include "settings/CharacterLevelDialog.h"
#include "settings/DeviceAddressDialog.h"
#include "settings/DialogContext.h"
#include "settings/DisplayPageDialog.h"
#include "settings/DisplayPositionDialog.h"
#include "settings/StartupPageDialog.h"
#include "sim/Device.h"
#include "support/LinkedDevice.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

// The setting dialogs against the simulated device over every kind of link: what the operator
// chooses reaches the device, and the device's answer reaches the operator.

using Link = LinkedDevice::Link;
Q_DECLARE_METATYPE(LinkedDevice::Link)

namespace {

std::unique_ptr<QDialog> openDialog(int number, DialogContext& context) {
    switch (number) {
    case 109:
        return std::make_unique<DisplayPageDialog>(context);
    case 110:
        return std::make_unique<StartupPageDialog>(context);
    case 111:
        return std::make_unique<CharacterLevelDialog>(context);
    case 116:
        return std::make_unique<DisplayPositionDialog>(context);
    case 125:
        return std::make_unique<DeviceAddressDialog>(context);
    }
    return nullptr;
}

// Chooses an entry from the keyboard, as the operator does.
void choose(QDialog& dialog, const QString& listName, int index) {
    auto* list = dialog.findChild<QComboBox*>(listName);
    QTest::keyClick(list, Qt::Key_Home);
    for (int step = 0; step < index; ++step)
        QTest::keyClick(list, Qt::Key_Down);
}

void press(QDialog& dialog, const QString& buttonName) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(buttonName), Qt::LeftButton);
}

bool isSerial(Link link) {
    return link == Link::Rs232c || link == Link::Rs485;
}

constexpr int rs485Address = 7;
constexpr int otherRs485Address = 3;

} // namespace

class SettingsOverLinksTest : public QObject {
    Q_OBJECT
private slots:
    void choicesReachTheDevice_data();
    void choicesReachTheDevice();
    void deviceErrorIsShown_data();
    void deviceErrorIsShown();
    void broadcastIsCarriedOutWithoutAnswer();
    void captionNamesTheChosenDevice();

private:
    void addLinks();
    std::unique_ptr<LinkedDevice> startLink(Link link);
};

void SettingsOverLinksTest::addLinks() {
    QTest::addColumn<Link>("link");
    QTest::newRow("TCP, program as client") << Link::TcpClient;
    QTest::newRow("TCP, program as server") << Link::TcpServer;
#ifdef ZEV_SIM_POSIX
    QTest::newRow("RS-232C") << Link::Rs232c;
    QTest::newRow("RS-485") << Link::Rs485;
#endif
}

std::unique_ptr<LinkedDevice> SettingsOverLinksTest::startLink(Link link) {
    auto linked = std::make_unique<LinkedDevice>(link, QList<int>{otherRs485Address, rs485Address});
    if (!linked->start()) {
        QTest::qFail(qPrintable(linked->errorString()), __FILE__, __LINE__);
        return nullptr;
    }
    linked->state.slaveAddress = rs485Address;
    return linked;
}

void SettingsOverLinksTest::choicesReachTheDevice_data() {
    addLinks();
}

void SettingsOverLinksTest::choicesReachTheDevice() {
    QFETCH(Link, link);
    const auto linked = startLink(link);
    QVERIFY(linked);
    DialogContext context{linked->state, linked->document, linked->boxes, linked->sender};
    sim::Device* device =
        link == Link::Rs485 ? linked->deviceWithAddress(rs485Address) : linked->device();

    // On RS-485 the device address is sent to the address it already has: the line goes to
    // the address that it carries. A single digit keeps the expected line simple.
    const int deviceAddress = link == Link::Rs485 ? rs485Address : 5;
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
        {125, "list1081", deviceAddress, "button1083",
         QByteArray("SA0") + char('0' + deviceAddress)},
    };
    const QString success = isSerial(link) ? "Success" : "Socket ＯＫ";
    const QString successCaption = isSerial(link) ? "設定完了" : "Success";

    int sent = 0;
    for (const auto& step : steps) {
        const auto window = openDialog(step.dialog, context);
        choose(*window, step.list, step.index);
        press(*window, step.button);
        ++sent;
        QTRY_COMPARE(device->receivedLines().size(), sent);
        QCOMPARE(device->receivedLines().last(), step.line);
        QTRY_COMPARE(linked->prompts.boxes.size(), sent);
        QCOMPARE(linked->prompts.boxes.last().text, success);
        QCOMPARE(linked->prompts.boxes.last().caption, successCaption);
    }

    const SettingsDocument& document = linked->document;
    QCOMPARE(document.displayPage, (SettingsDocument::PerArea{0, 9, 0, 0}));
    QCOMPARE(document.startupPage, (SettingsDocument::PerArea{0, 0, 0, 64}));
    QCOMPARE(document.selectedWhiteLevel, 3);
    QCOMPARE(document.selectedEdgeLevel, 0);
    QCOMPARE(document.displayPosition, (SettingsDocument::PerArea{7, 7, 15, 7}));
    QCOMPARE(linked->state.slaveAddress, deviceAddress);
    QCOMPARE(document.documentModified, 0);

    QCOMPARE(device->displayPage(1), 9);
    QCOMPARE(device->startupPage(3), 64);
    QCOMPARE(device->whiteLevel(), 3);
    QCOMPARE(device->edgeLevel(), 0);
    QCOMPARE(device->displayPosition(2), 15);
    QCOMPARE(device->slaveAddress(), deviceAddress);
    if (link == Link::Rs485) {
        QVERIFY(linked->deviceWithAddress(otherRs485Address)->receivedLines().isEmpty());
        QCOMPARE(device->sentReplies().last(), "07GO\r\n");
    }

    // An answered line leaves no wait behind: the time-out shows nothing.
    for (int tick = 0; tick < 10; ++tick)
        linked->sender.checkReplyTimeout();
    QCOMPARE(linked->prompts.boxes.size(), sent);
}

void SettingsOverLinksTest::deviceErrorIsShown_data() {
    addLinks();
}

void SettingsOverLinksTest::deviceErrorIsShown() {
    QFETCH(Link, link);
    const auto linked = startLink(link);
    QVERIFY(linked);
    DialogContext context{linked->state, linked->document, linked->boxes, linked->sender};
    sim::Device* device =
        link == Link::Rs485 ? linked->deviceWithAddress(rs485Address) : linked->device();

    device->refuseNext(1, "E3");
    CharacterLevelDialog window(context);
    press(window, "button1009");
    QTRY_COMPARE(linked->prompts.boxes.size(), 1);
    QCOMPARE(linked->prompts.texts(),
             QStringList{isSerial(link) ? "Command Error" : "Socket Command"});
    QCOMPARE(linked->prompts.boxes.first().caption, "Error");
    QCOMPARE(linked->state.exchangeFailed, 1);
    QCOMPARE(device->receivedLines(), QList<QByteArray>{"CWL1"});
    QCOMPARE(device->whiteLevel(), 1);
}

void SettingsOverLinksTest::broadcastIsCarriedOutWithoutAnswer() {
#ifndef ZEV_SIM_POSIX
    QSKIP("no simulated serial line on this platform");
#endif
    const auto linked = startLink(Link::Rs485);
    QVERIFY(linked);
    DialogContext context{linked->state, linked->document, linked->boxes, linked->sender};

    DisplayPageDialog window(context);
    choose(window, "list1081", AppState::broadcastAddress);
    QCOMPARE(linked->state.slaveAddress, AppState::broadcastAddress);
    choose(window, "list1020", 64);
    press(window, "button1005");
    for (int address : {otherRs485Address, rs485Address}) {
        sim::Device* device = linked->deviceWithAddress(address);
        QTRY_COMPARE(device->receivedLines(), QList<QByteArray>{"P01TAS"});
        QCOMPARE(device->displayPage(0), 64);
        QVERIFY(device->sentReplies().isEmpty());
    }
    for (int tick = 0; tick < 10; ++tick)
        linked->sender.checkReplyTimeout();
    QVERIFY(linked->prompts.boxes.isEmpty());

    // The same wait does end in "No Connect" when an addressed line goes unanswered.
    choose(window, "list1081", 20);
    press(window, "button1005");
    for (int tick = 0; tick < 6; ++tick)
        linked->sender.checkReplyTimeout();
    QVERIFY(linked->prompts.boxes.isEmpty());
    linked->sender.checkReplyTimeout();
    QCOMPARE(linked->prompts.texts(), QStringList{"No Connect"});
}

void SettingsOverLinksTest::captionNamesTheChosenDevice() {
    const auto linked = startLink(Link::TcpServer);
    QVERIFY(linked);
    DialogContext context{linked->state, linked->document, linked->boxes, linked->sender};
    DisplayPositionDialog window(context);
    QCOMPARE(window.windowTitle(), "表示位置の微調整 127.0.0.1");
}

QTEST_MAIN(SettingsOverLinksTest)
#include "tst_settingsoverlinks.moc"
