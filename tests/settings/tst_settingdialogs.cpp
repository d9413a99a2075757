#include "DialogDriving.h"
#include "support/ChosenDevice.h"

namespace {

// The links that decide whether the "Slave Address" list is enabled; Tcp has RS-485 mode set.
enum { Rs232c, Rs485, Tcp };

} // namespace

class SettingDialogsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<DialogBench> bench;

private slots:
    void init() { bench = std::make_unique<DialogBench>(); }

    void commonSetUp_data() {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<int>("link");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("connectionCaption");
        const auto row = [](int dialog, int link, const char* caption, const char* chosen) {
            QTest::addRow("%d", dialog) << dialog << link << QString(caption) << QString(chosen);
        };
        row(109, Rs232c, "表示ページ切り換え", "表示ページの切換え ");
        row(110, Rs485, "スタートアップの設定", "スタートアップの設定 ");
        row(111, Tcp, "文字レベルの設定", "文字レベルの設定 ");
        row(116, Rs485, "表示位置微調整", "表示位置の微調整 ");
        row(125, Tcp, "機器のスレーブアドレス", "機器のスレーブアドレス ");
    }

    // The caption without and with a chosen connection, the "Slave Address" list (enabled on an
    // RS-485 serial link only, save for the device address), the dialog that the replies belong
    // to, and what Close and Esc give.
    void commonSetUp() {
        QFETCH(int, dialog);
        QFETCH(int, link);
        QFETCH(QString, caption);
        QFETCH(QString, connectionCaption);
        AppState& state = bench->state;
        const auto device = connectChosenDevice(bench->tcpLink, state.link);
        QVERIFY(device);
        state.link.interfaceKind = link == Tcp ? InterfaceKind::Tcp : InterfaceKind::Serial;
        state.link.rs485Mode = link == Rs232c ? Rs485Mode::Rs232c : Rs485Mode::Rs485;
        state.link.slaveAddress = 31;
        const bool enabled = dialog == 125 || link == Rs485;
        for (int selected : {-1, TcpLink::firstConnection}) {
            state.link.selectedConnection = selected;
            auto window = openDialog(dialog, bench->context);
            QCOMPARE(window->windowTitle(),
                     selected < 0 ? caption : connectionCaption + "127.0.0.1");
            QComboBox* box = list(*window, "slaveAddressList");
            QCOMPARE(box->itemText(0) + box->itemText(31) + box->itemText(32), "0031Bloadcast");
            QCOMPARE(box->currentIndex(), enabled ? 31 : -1);
            QCOMPARE(box->isEnabled(), enabled);
            if (selected < 0)
                press(*window, "closeButton");
            else
                QTest::keyClick(window.get(), Qt::Key_Escape);
            QCOMPARE(window->result(), dialog == 125 ? 1 : 2);
        }
    }

    // A list shows its field (nothing when out of range); only the operator's choice goes into
    // the document, into the field of its own area.
    void listsHoldOnlyTheOperatorsChoice() {
        bench->document.startupPage[2] = 70; // only a damaged document holds it
        const std::pair<int, int> dialogs[] = {{109, 0}, {110, -1}, {116, 7}}; // ch.2 Top shows
        for (const auto& [dialog, shown] : dialogs) {
            auto window = openDialog(dialog, bench->context);
            const QComboBox* box = list(*window, "ch1TopList");
            QCOMPARE(box->itemText(box->count() - 1), dialog == 116 ? "15" : "AUTO");
            QCOMPARE(list(*window, "ch2TopList")->currentIndex(), shown);
            choose(list(*window, "ch2BottomList"), dialog - 105);
            list(*window, "ch1BottomList")->setCurrentIndex(3);
            list(*window, "slaveAddressList")->setCurrentIndex(9);
        }
        QCOMPARE(bench->document.displayPage, (SettingsDocument::PerArea{0, 0, 0, 4}));
        QCOMPARE(bench->document.startupPage, (SettingsDocument::PerArea{0, 0, 70, 5}));
        QCOMPARE(bench->document.displayPosition, (SettingsDocument::PerArea{7, 7, 7, 11}));
        QCOMPARE(bench->state.link.slaveAddress, 0);

        // The level lists show the levels chosen, not the ones read back from the device.
        bench->sender.replies().handleReply("CWL3\r\n", ReplyLink::Serial);
        bench->sender.replies().handleReply("CEL0\r\n", ReplyLink::Serial);
        CharacterLevelDialog window(bench->context);
        QCOMPARE(list(window, "whiteLevelList")->currentText() +
                     list(window, "edgeLevelList")->currentText(),
                 "11");
        press(window, "whiteLevelSetButton");
        choose(list(window, "whiteLevelList"), 2);
        QCOMPARE(bench->serial.writes, QList<QByteArray>{"CWL1\r\n"});
        QCOMPARE(bench->document.whiteLevel, 3);
        QCOMPARE(bench->document.selectedWhiteLevel, 2);
    }
};

QTEST_MAIN(SettingDialogsTest)
#include "tst_settingdialogs.moc"
