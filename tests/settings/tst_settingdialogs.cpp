#include "app/AppState.h"
#include "document/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReplyHandler.h"
#include "settings/CharacterLevelDialog.h"
#include "settings/DeviceAddressDialog.h"
#include "settings/DialogContext.h"
#include "settings/DisplayPageDialog.h"
#include "settings/DisplayPositionDialog.h"
#include "settings/StartupPageDialog.h"
#include "support/RecordingChannels.h"
#include "support/RecordingPrompts.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

namespace {

// The program side of one dialog, with links that record what is written.
struct Bench {
    AppState state;
    SettingsDocument document;
    RecordingPrompts prompts;
    RecordingSerialChannel serial;
    RecordingTcpChannel tcp;
    MessageBoxes boxes{prompts, state};
    ReplyHandler replies{state, document, boxes};
    CommandSender sender{state, boxes, replies, serial, tcp};
    DialogContext context{state, document, boxes, sender};
};

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

QComboBox* list(QDialog& dialog, const QString& name) {
    return dialog.findChild<QComboBox*>(name);
}

// Chooses an entry the way the operator does, from the keyboard: every step is a choice.
void choose(QComboBox* box, int index) {
    QTest::keyClick(box, Qt::Key_Home);
    for (int step = 0; step < index; ++step)
        QTest::keyClick(box, Qt::Key_Down);
}

void press(QDialog& dialog, const QString& name) {
    QTest::mouseClick(dialog.findChild<QPushButton*>(name), Qt::LeftButton);
}

QStringList entries(const QComboBox* box) {
    QStringList texts;
    for (int index = 0; index < box->count(); ++index)
        texts.append(box->itemText(index));
    return texts;
}

} // namespace

class SettingDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { bench = std::make_unique<Bench>(); }

    void areaListsShowTheDocument_data();
    void areaListsShowTheDocument();
    void buttonSendsTheStoredValueEveryTime();
    void programmaticChangeStoresNothing();
    void pagesAndStartupPagesStayApart();
    void levelsAreTheChosenOnesNotTheReadBack();
    void slaveAddressList_data();
    void slaveAddressList();
    void slaveAddressChoiceFramesTheNextLine();
    void deviceAddressChoiceIsTheRs485Target();
    void caption_data();
    void caption();
    void dialogBecomesTheCurrentOne();
    void closeResult_data();
    void closeResult();
    void layoutsFitTheirTexts_data();
    void layoutsFitTheirTexts();

private:
    std::unique_ptr<Bench> bench;
};

void SettingDialogsTest::areaListsShowTheDocument_data() {
    QTest::addColumn<int>("dialog");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QStringList>("listEntries");

    QStringList pages;
    for (int page = 1; page <= 64; ++page)
        pages.append(QString::number(page));
    pages.append("AUTO");
    QStringList positions;
    for (int position = 0; position <= 15; ++position)
        positions.append(QString::number(position));

    QTest::newRow("display page") << 109 << QList<int>{0, 9, 63, 64} << QList<int>{0, 9, 63, 64}
                                  << pages;
    QTest::newRow("start-up page")
        << 110 << QList<int>{64, 1, 70, 32} << QList<int>{64, 1, -1, 32} << pages;
    QTest::newRow("display position")
        << 116 << QList<int>{7, 0, 15, 16} << QList<int>{7, 0, 15, -1} << positions;
}

void SettingDialogsTest::areaListsShowTheDocument() {
    QFETCH(int, dialog);
    QFETCH(QList<int>, values);
    QFETCH(QList<int>, selected);
    QFETCH(QStringList, listEntries);

    auto& field = dialog == 109   ? bench->document.displayPage
                  : dialog == 110 ? bench->document.startupPage
                                  : bench->document.displayPosition;
    for (int area = 0; area < 4; ++area)
        field[area] = values[area];
    auto window = openDialog(dialog, bench->context);
    for (int area = 0; area < 4; ++area) {
        QComboBox* box = list(*window, QString("list%1").arg(1020 + area));
        QCOMPARE(entries(box), listEntries);
        QCOMPARE(box->currentIndex(), selected[area]);
        QVERIFY(!box->isEditable());
        QCOMPARE(field[area], values[area]);
    }
}

void SettingDialogsTest::buttonSendsTheStoredValueEveryTime() {
    bench->document.displayPage = {0, 1, 70, 3};
    DisplayPageDialog window(bench->context);
    press(window, "button1007");
    press(window, "button1007");
    press(window, "button1005");
    QCOMPARE(bench->serial.writes, (QList<QByteArray>{"P02TAS\r\n", "P02TAS\r\n", "P01T01\r\n"}));
}

void SettingDialogsTest::programmaticChangeStoresNothing() {
    DisplayPositionDialog window(bench->context);
    list(window, "list1020")->setCurrentIndex(3);
    list(window, "list1081")->setCurrentIndex(9);
    QCOMPARE(bench->document.displayPosition[0], 7);
    QCOMPARE(bench->state.slaveAddress, 0);
}

void SettingDialogsTest::pagesAndStartupPagesStayApart() {
    {
        StartupPageDialog window(bench->context);
        choose(list(window, "list1020"), 5);
    }
    {
        DisplayPageDialog window(bench->context);
        choose(list(window, "list1023"), 64);
    }
    QCOMPARE(bench->document.startupPage, (SettingsDocument::PerArea{5, 0, 0, 0}));
    QCOMPARE(bench->document.displayPage, (SettingsDocument::PerArea{0, 0, 0, 64}));
}

void SettingDialogsTest::levelsAreTheChosenOnesNotTheReadBack() {
    bench->replies.handleSerialReply("CWL3\r\n");
    bench->replies.handleSerialReply("CEL0\r\n");
    QCOMPARE(bench->document.whiteLevel, 3);

    CharacterLevelDialog window(bench->context);
    QCOMPARE(list(window, "list1058")->currentText(), "1");
    QCOMPARE(list(window, "list1059")->currentText(), "1");
    QCOMPARE(entries(list(window, "list1058")), (QStringList{"0", "1", "2", "3"}));
    QVERIFY(!list(window, "list1058")->isEditable());
    press(window, "button1009");
    press(window, "button1010");
    choose(list(window, "list1058"), 2);
    QCOMPARE(bench->serial.writes, (QList<QByteArray>{"CWL1\r\n", "CEL1\r\n"}));
    QCOMPARE(bench->document.whiteLevel, 3);
    QCOMPARE(bench->document.edgeLevel, 0);
    QCOMPARE(bench->document.selectedWhiteLevel, 2);
}

void SettingDialogsTest::slaveAddressList_data() {
    QTest::addColumn<int>("dialog");
    QTest::addColumn<int>("interfaceKind");
    QTest::addColumn<int>("rs485Mode");
    QTest::addColumn<int>("slaveAddress");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("selected");

    QTest::newRow("RS-232C") << 109 << 0 << 0 << 4 << false << -1;
    QTest::newRow("TCP with RS-485 set") << 110 << 1 << 1 << 4 << false << -1;
    QTest::newRow("RS-485") << 111 << 0 << 1 << 7 << true << 7;
    QTest::newRow("RS-485 Broadcast") << 116 << 0 << 1 << 32 << true << 32;
    QTest::newRow("device address, RS-232C") << 125 << 0 << 0 << 0 << true << 0;
    QTest::newRow("device address, TCP") << 125 << 1 << 0 << 32 << true << 32;
}

void SettingDialogsTest::slaveAddressList() {
    QFETCH(int, dialog);
    QFETCH(int, interfaceKind);
    QFETCH(int, rs485Mode);
    QFETCH(int, slaveAddress);
    QFETCH(bool, enabled);
    QFETCH(int, selected);

    bench->state.interfaceKind = interfaceKind;
    bench->state.rs485Mode = rs485Mode;
    bench->state.slaveAddress = slaveAddress;
    auto window = openDialog(dialog, bench->context);
    QComboBox* box = list(*window, "list1081");
    QStringList addresses;
    for (int address = 0; address < 32; ++address)
        addresses.append(QString("%1").arg(address, 2, 10, QChar('0')));
    addresses.append("Bloadcast");
    QCOMPARE(entries(box), addresses);
    QCOMPARE(box->isEnabled(), enabled);
    QCOMPARE(box->currentIndex(), selected);
    QCOMPARE(bench->state.slaveAddress, slaveAddress);
}

void SettingDialogsTest::slaveAddressChoiceFramesTheNextLine() {
    bench->state.rs485Mode = 1;
    bench->state.slaveAddress = 1;
    DisplayPositionDialog window(bench->context);
    press(window, "button1005");
    choose(list(window, "list1081"), 3);
    press(window, "button1005");
    QCOMPARE(bench->state.replyPending, 1);
    choose(list(window, "list1081"), 32);
    press(window, "button1005");
    QCOMPARE(bench->state.replyPending, 0);
    QCOMPARE(bench->serial.writes,
             (QList<QByteArray>{"01CTDPO01T07\r\n", "03CTDPO01T07\r\n", "FFCTDPO01T07\r\n"}));
}

void SettingDialogsTest::deviceAddressChoiceIsTheRs485Target() {
    bench->state.rs485Mode = 1;
    bench->state.slaveAddress = 5;
    {
        DeviceAddressDialog window(bench->context);
        choose(list(window, "list1081"), 12);
        press(window, "button1083");
    }
    CharacterLevelDialog window(bench->context);
    QCOMPARE(list(window, "list1081")->currentIndex(), 12);
    press(window, "button1009");
    QCOMPARE(bench->serial.writes, (QList<QByteArray>{"12SA12\r\n", "12CWL1\r\n"}));
}

void SettingDialogsTest::caption_data() {
    QTest::addColumn<int>("dialog");
    QTest::addColumn<int>("selectedConnection");
    QTest::addColumn<QString>("caption");

    QTest::newRow("109 none") << 109 << -1 << "表示ページ切り換え";
    QTest::newRow("109 chosen") << 109 << 3 << "表示ページの切換え 192.168.10.3";
    QTest::newRow("110 none") << 110 << -1 << "スタートアップの設定";
    QTest::newRow("110 chosen") << 110 << 3 << "スタートアップの設定 192.168.10.3";
    QTest::newRow("111 none") << 111 << -1 << "文字レベルの設定";
    QTest::newRow("111 chosen") << 111 << 3 << "文字レベルの設定 192.168.10.3";
    QTest::newRow("116 none") << 116 << -1 << "表示位置微調整";
    QTest::newRow("116 chosen") << 116 << 3 << "表示位置の微調整 192.168.10.3";
    QTest::newRow("125 none") << 125 << -1 << "機器のスレーブアドレス";
    QTest::newRow("125 chosen") << 125 << 3 << "機器のスレーブアドレス 192.168.10.3";
    QTest::newRow("entry without address") << 109 << 0 << "表示ページの切換え ";
}

void SettingDialogsTest::caption() {
    QFETCH(int, dialog);
    QFETCH(int, selectedConnection);
    QFETCH(QString, caption);

    bench->state.selectedConnection = selectedConnection;
    bench->state.connectionTable[3].addressText.assign("192.168.10.3");
    auto window = openDialog(dialog, bench->context);
    QCOMPARE(window->windowTitle(), caption);
}

void SettingDialogsTest::dialogBecomesTheCurrentOne() {
    for (int number : {109, 110, 111, 116, 125}) {
        bench->state.cornerClickCount = 7;
        auto window = openDialog(number, bench->context);
        QCOMPARE(bench->state.replyWindow.data(), window.get());
        QCOMPARE(bench->state.activeDialog.data(), window.get());
        QCOMPARE(bench->state.cornerClickCount, 0);
    }
}

void SettingDialogsTest::closeResult_data() {
    QTest::addColumn<int>("dialog");
    QTest::addColumn<bool>("escape");
    QTest::addColumn<int>("result");

    for (int number : {109, 110, 111, 116}) {
        QTest::addRow("%d Close", number) << number << false << 2;
        QTest::addRow("%d Esc", number) << number << true << 2;
    }
    QTest::newRow("125 Close") << 125 << false << 1;
    QTest::newRow("125 Esc") << 125 << true << 1;
}

void SettingDialogsTest::closeResult() {
    QFETCH(int, dialog);
    QFETCH(bool, escape);
    QFETCH(int, result);

    auto window = openDialog(dialog, bench->context);
    window->show();
    if (escape)
        QTest::keyClick(window.get(), Qt::Key_Escape);
    else
        press(*window, "button2");
    QVERIFY(window->isHidden());
    QCOMPARE(window->result(), result);
    QVERIFY(bench->serial.writes.isEmpty());
}

void SettingDialogsTest::layoutsFitTheirTexts_data() {
    QTest::addColumn<int>("dialog");
    for (int number : {109, 110, 111, 116, 125})
        QTest::addRow("%d", number) << number;
}

// Nothing is cut: every control gets at least the room its text asks for.
void SettingDialogsTest::layoutsFitTheirTexts() {
    QFETCH(int, dialog);
    bench->state.rs485Mode = 1;
    auto window = openDialog(dialog, bench->context);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const auto controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        if (!qobject_cast<QComboBox*>(control) && !qobject_cast<QPushButton*>(control) &&
            !qobject_cast<QGroupBox*>(control))
            continue;
        const QSize hint = control->minimumSizeHint();
        QVERIFY2(control->width() >= hint.width() && control->height() >= hint.height(),
                 qPrintable(control->objectName()));
    }
    const QString shots = qEnvironmentVariable("ZEV_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        QVERIFY(window->grab().save(QString("%1/dialog%2.png").arg(shots).arg(dialog)));
}

QTEST_MAIN(SettingDialogsTest)
#include "tst_settingdialogs.moc"
