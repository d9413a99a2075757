#include "DialogDriving.h"

namespace {

// The links that decide whether the "Slave Address" list is enabled; Tcp has RS-485 mode set.
enum { Rs232c, Rs485, Tcp };

} // namespace

class SettingDialogsTest : public QObject {
    Q_OBJECT
    std::unique_ptr<DialogBench> bench;

private slots:
    void init() { bench = std::make_unique<DialogBench>(); }

    // The "Slave Address" list is enabled on an RS-485 serial link only, save for the device
    // address's own.
    void slaveAddressList() {
        for (const auto& [dialog, link, enabled] :
             {std::tuple(109, Rs232c, false), std::tuple(116, Rs485, true),
              std::tuple(111, Tcp, false), std::tuple(125, Tcp, true)}) {
            LinkConfiguration& configuration = bench->state.link;
            configuration.interfaceKind = link == Tcp ? InterfaceKind::Tcp : InterfaceKind::Serial;
            configuration.rs485Mode = link == Rs232c ? Rs485Mode::Rs232c : Rs485Mode::Rs485;
            configuration.slaveAddress = 31;
            const auto window = openDialog(dialog, bench->context);
            QComboBox* box = list(*window, "slaveAddressList");
            QCOMPARE(box->currentIndex(), enabled ? 31 : -1);
            QCOMPARE(box->isEnabled(), enabled);
        }
    }

    // A list shows its field (nothing when out of range); only the operator's choice goes into
    // the document, into the field of its own area.
    void listsHoldOnlyTheOperatorsChoice() {
        bench->document.startupPage[2] = 70; // only a damaged document holds it
        const std::pair<int, int> dialogs[] = {{109, 0}, {110, -1}, {116, 7}}; // ch.2 Top shows
        for (const auto& [dialog, shown] : dialogs) {
            auto window = openDialog(dialog, bench->context);
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
