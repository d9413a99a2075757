#include "DialogDriving.h"
#include "app/AppState.h"
#include "document/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReplyHandler.h"
#include "support/RecordingChannels.h"
#include "support/RecordingPrompts.h"

#include <QGroupBox>

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

} // namespace

class SettingDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { bench = std::make_unique<Bench>(); }

    void commonSetUp_data();
    void commonSetUp();
    void areaListsAndTheDocument();
    void levelsAreTheChosenOnesNotTheReadBack();

private:
    std::unique_ptr<Bench> bench;
};

// The links that decide whether the "Slave Address" list is enabled.
enum { Rs232c, Rs485, TcpWithRs485Set };

void SettingDialogsTest::commonSetUp_data() {
    QTest::addColumn<int>("dialog");
    QTest::addColumn<int>("selectedConnection");
    QTest::addColumn<int>("link");
    QTest::addColumn<int>("address");
    QTest::addColumn<bool>("addressShown");
    QTest::addColumn<QString>("caption");

    QTest::newRow("109 none") << 109 << -1 << +Rs232c << 4 << false << "表示ページ切り換え";
    QTest::newRow("109 chosen") << 109 << 3 << +Rs485 << 7 << true
                                << "表示ページの切換え 192.168.10.3";
    QTest::newRow("110 none") << 110 << -1 << +Rs485 << 32 << true << "スタートアップの設定";
    QTest::newRow("110 chosen") << 110 << 3 << +TcpWithRs485Set << 4 << false
                                << "スタートアップの設定 192.168.10.3";
    QTest::newRow("111 none") << 111 << -1 << +Rs485 << 0 << true << "文字レベルの設定";
    QTest::newRow("111 chosen") << 111 << 3 << +Rs232c << 0 << false
                                << "文字レベルの設定 192.168.10.3";
    QTest::newRow("116 none") << 116 << -1 << +TcpWithRs485Set << 31 << false << "表示位置微調整";
    QTest::newRow("116 chosen") << 116 << 3 << +Rs485 << 31 << true
                                << "表示位置の微調整 192.168.10.3";
    QTest::newRow("125 none") << 125 << -1 << +Rs232c << 0 << true << "機器のスレーブアドレス";
    QTest::newRow("125 chosen") << 125 << 3 << +TcpWithRs485Set << 32 << true
                                << "機器のスレーブアドレス 192.168.10.3";
    QTest::newRow("entry without address")
        << 109 << 0 << +Rs485 << 5 << true << "表示ページの切換え ";
}

// Caption, "Slave Address" list, the dialog the replies belong to, room for every text, and
// how Close (or Esc) ends it.
void SettingDialogsTest::commonSetUp() {
    QFETCH(int, dialog);
    QFETCH(int, selectedConnection);
    QFETCH(int, link);
    QFETCH(int, address);
    QFETCH(bool, addressShown);
    QFETCH(QString, caption);
    bench->state.selectedConnection = selectedConnection;
    bench->state.connectionTable[3].addressText.assign("192.168.10.3");
    bench->state.interfaceKind = link == TcpWithRs485Set ? 1 : 0;
    bench->state.rs485Mode = link == Rs232c ? 0 : 1;
    bench->state.slaveAddress = address;
    bench->state.cornerClickCount = 7;

    auto window = openDialog(dialog, bench->context);
    QCOMPARE(window->windowTitle(), caption);
    QCOMPARE(bench->state.replyWindow.data(), window.get());
    QCOMPARE(bench->state.activeDialog.data(), window.get());
    QCOMPARE(bench->state.cornerClickCount, 0);
    QComboBox* box = list(*window, "list1081");
    QCOMPARE(box->count(), 33);
    QCOMPARE(box->itemText(0) + box->itemText(31) + box->itemText(32), "0031Bloadcast");
    QCOMPARE(box->isEnabled(), addressShown);
    QCOMPARE(box->currentIndex(), addressShown ? address : -1);
    QCOMPARE(bench->state.slaveAddress, address);

    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    for (QWidget* control : window->findChildren<QWidget*>()) {
        const QSize hint = control->minimumSizeHint();
        if (qobject_cast<QComboBox*>(control) || qobject_cast<QPushButton*>(control) ||
            qobject_cast<QGroupBox*>(control))
            QVERIFY2(control->width() >= hint.width() && control->height() >= hint.height(),
                     qPrintable(control->objectName()));
    }

    if (selectedConnection < 0)
        press(*window, "button2");
    else
        QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(window->isHidden());
    QCOMPARE(window->result(), dialog == 125 ? 1 : 2);
    QVERIFY(bench->serial.writes.isEmpty());
}

// Each area's list shows its field (nothing when out of range) and only the operator's choice
// goes into the document, into its own field; an area's button sends what its field holds.
void SettingDialogsTest::areaListsAndTheDocument() {
    bench->state.rs485Mode = 1;
    bench->state.slaveAddress = 1;
    bench->document.displayPage = {0, 9, 63, 64};
    bench->document.startupPage = {64, 1, 70, 32};
    bench->document.displayPosition = {7, 0, 15, 16};
    const QList<std::pair<int, QList<int>>> dialogs{
        {109, {0, 9, 63, 64}}, {110, {64, 1, -1, 32}}, {116, {7, 0, 15, -1}}};
    for (const auto& [dialog, selected] : dialogs) {
        auto window = openDialog(dialog, bench->context);
        for (int area = 0; area < 4; ++area)
            QCOMPARE(list(*window, QString("list%1").arg(1020 + area))->currentIndex(),
                     selected[area]);
        const QComboBox* box = list(*window, "list1020");
        QCOMPARE(box->itemText(box->count() - 1), dialog == 116 ? "15" : "AUTO");
        choose(list(*window, "list1023"), dialog - 105);
        list(*window, "list1021")->setCurrentIndex(3);
        list(*window, "list1081")->setCurrentIndex(9);
    }
    QCOMPARE(bench->document.displayPage, (SettingsDocument::PerArea{0, 9, 63, 4}));
    QCOMPARE(bench->document.startupPage, (SettingsDocument::PerArea{64, 1, 70, 5}));
    QCOMPARE(bench->document.displayPosition, (SettingsDocument::PerArea{7, 0, 15, 11}));
    QCOMPARE(bench->state.slaveAddress, 1);

    StartupPageDialog window(bench->context);
    press(window, "button1007");
    press(window, "button1007");
    press(window, "button1005");
    QCOMPARE(bench->serial.writes,
             (QList<QByteArray>{"01SUS02TAS\r\n", "01SUS02TAS\r\n", "01SUS01TAS\r\n"}));
}

void SettingDialogsTest::levelsAreTheChosenOnesNotTheReadBack() {
    bench->replies.handleSerialReply("CWL3\r\n");
    bench->replies.handleSerialReply("CEL0\r\n");
    QCOMPARE(bench->document.whiteLevel, 3);

    CharacterLevelDialog window(bench->context);
    QCOMPARE(list(window, "list1058")->currentText(), "1");
    QCOMPARE(list(window, "list1059")->currentText(), "1");
    press(window, "button1009");
    press(window, "button1010");
    choose(list(window, "list1058"), 2);
    QCOMPARE(bench->serial.writes, (QList<QByteArray>{"CWL1\r\n", "CEL1\r\n"}));
    QCOMPARE(bench->document.whiteLevel, 3);
    QCOMPARE(bench->document.edgeLevel, 0);
    QCOMPARE(bench->document.selectedWhiteLevel, 2);
}

QTEST_MAIN(SettingDialogsTest)
#include "tst_settingdialogs.moc"
