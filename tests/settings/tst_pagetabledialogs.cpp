#include "DialogDriving.h"
#include "commands/SwitchTimeCommands.h"
#include "settings/DisplayFlagDialog.h"
#include "settings/SwitchTimeDialog.h"

#include <QProgressBar>

// The title display (114) and automatic switching (117) dialogs against the simulated device.

namespace {

constexpr int flags = DisplayFlagDialog::number;

// A page's stored value, the operator's choice (-1: none, the stored value is sent), the line.
struct OnePage {
    int number, area, page, stored, chosen;
    const char* line;
};

struct Opened {
    Opened(int dialogNumber, LinkedDialogs& linked)
        : number(dialogNumber),
          dialog(number == flags
                     ? std::unique_ptr<PageTableDialog>(new DisplayFlagDialog(linked.context))
                     : std::make_unique<SwitchTimeDialog>(linked.context)),
          values(number == flags ? linked.document.titleDisplayOn
                                 : linked.document.autoSwitchTimes),
          timer(dialog->findChild<QTimer*>("transferTimer")),
          valueList(list(*dialog, number == flags ? "displayList" : "timeList")) {}

    int sent(int value) const { return number == flags ? value != 0 : sendableSeconds(value); }
    // The bar, whether the transfer ticks, whether Close can be used.
    QString shown() const {
        return QString::number(dialog->findChild<QProgressBar*>()->value()) +
               (timer->isActive() ? "|ticking" : "") +
               (dialog->findChild<QPushButton*>("closeButton")->isEnabled() ? "|Close" : "");
    }

    int number;
    std::unique_ptr<PageTableDialog> dialog;
    SettingsDocument::PerPage<int>& values;
    QTimer* timer;
    QComboBox* valueList;
};

} // namespace

Q_DECLARE_METATYPE(OnePage)

class PageTableDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void onePageReachesTheDevice_data() {
        QTest::addColumn<OnePage>("row");
        const OnePage rows[] = {
            {114, 0, 0, 1, 0, "CTD01T01OF"},
            {114, 1, 9, 7, -1, "CTD01B10ON"}, // damaged flag
            {117, 3, 9, 2, 15, "AST02B1015"},
            {117, 0, 5, 250, -1, "AST01T0699"}, // damaged times
        };
        for (const OnePage& row : rows)
            QTest::newRow(row.line) << row;
    }

    // The lists show what "設定" sends; the document is not marked modified.
    void onePageReachesTheDevice() {
        QFETCH(OnePage, row);
        const auto [number, area, page, stored, chosen, line] = row;
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        linked.document.titleDisplayOn[area][page] = linked.document.autoSwitchTimes[area][page] =
            stored;
        Opened opened(number, linked);
        choose(list(*opened.dialog, "areaList"), area);
        choose(list(*opened.dialog, "pageList"), page);
        if (chosen >= 0)
            choose(opened.valueList, chosen);
        const int value = chosen >= 0 ? chosen : stored;
        QCOMPARE(opened.values[area][page], value);
        QCOMPARE(opened.valueList->currentIndex(), opened.sent(value));

        press(*opened.dialog, "sendButton");
        sim::Device* device = linked.devices.first();
        QTRY_COMPARE(device->receivedLines(), QList<QByteArray>{line});
        QTRY_COMPARE(linked.prompts.texts(), QStringList("Socket ＯＫ"));
        QCOMPARE(linked.document.documentModified, 0);
    }

    // "Same Display"/"Same Time" set the 64 pages of the selected area only.
    void sameValueTouchesOnlyTheSelectedArea() {
        for (const auto& [number, same] : {std::pair(114, 1), std::pair(117, 5)}) {
            LinkedDialogs linked;
            Opened opened(number, linked);
            opened.values[1].fill(0);
            auto expected = opened.values;
            expected[2].fill(same);
            choose(list(*opened.dialog, "areaList"), 2);
            choose(list(*opened.dialog, number == flags ? "sameDisplayList" : "sameTimeList"),
                   same);
            QVERIFY(opened.values == expected);
        }
    }

    void transferCarriesTheDocument_data() {
        QTest::addColumn<int>("number");
        QTest::newRow("114") << flags;
        QTest::newRow("117") << 117;
    }

    // The device ends holding the document's values. "設定" goes out during the transfer in 114
    // only; a second "全設定" does nothing.
    void transferCarriesTheDocument() {
        QFETCH(int, number);
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        Opened opened(number, linked);
        // ch.1 Bottom changed, ch.2 Bottom with values only a damaged file holds.
        for (int page = 0; page < 64; ++page)
            opened.values[1][page] = number == flags ? page % 2 : page;
        opened.values[3].fill(0);
        opened.values[3][0] = number == flags ? 5 : 150;
        opened.values[3][63] = number == flags ? -1 : -9;
        sim::Device* device = linked.devices.first();
        press(*opened.dialog, "sendAllButton");
        QCOMPARE(opened.timer->interval(), number == flags ? 500 : 1200);
        opened.timer->setInterval(3600 * 1000); // the test gives the ticks
        QCOMPARE(opened.shown(), "0|ticking");

        for (int tick = 1; tick <= 4; ++tick) {
            opened.dialog->transfer().tick();
            QTRY_COMPARE(device->receivedLines().size(), tick + (number == flags && tick > 1));
            QTRY_VERIFY(!linked.awaiting());
            QCOMPARE(opened.shown(), tick < 4 ? QString("%1|ticking").arg(tick) : "0|Close");
            if (tick == 1) {
                press(*opened.dialog, "sendButton");
                press(*opened.dialog, "sendAllButton");
            }
        }
        if (number == flags)
            QCOMPARE(device->receivedLines().at(1), "CTD01T01ON");
        QCOMPARE(device->receivedLines().last(), number == flags
                                                     ? "CTD02BN" + QByteArray(62, 'F') + "N"
                                                     : "AST02B99" + QByteArray("00").repeated(63));
        for (int index = 0; index < 256; ++index) {
            const int area = index / 64, page = index % 64;
            QCOMPARE(number == flags ? device->titleShown(area, page)
                                     : device->switchTime(area, page),
                     opened.sent(opened.values[area][page]));
        }
        // Only the reply to the last line, which comes after the transfer, shows a box.
        QTRY_COMPARE(linked.prompts.texts(), QStringList("Socket ＯＫ"));
    }

    // An "E3" stops the transfer at the next tick with the progress bar where it was. (The rest
    // of the run's rules: tst_transfers.)
    void transferStopsAfterAnError() {
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        Opened opened(117, linked);
        sim::Device* device = linked.devices.first();
        press(*opened.dialog, "sendAllButton");
        opened.timer->setInterval(3600 * 1000); // the test gives the ticks
        for (int tick = 1; tick <= 3; ++tick) {
            device->refuseNext(tick == 2, "E3");
            opened.dialog->transfer().tick();
            QTRY_VERIFY(!linked.awaiting());
        }
        QCOMPARE(device->receivedLines().size(), 2);
        QCOMPARE(opened.shown(), "2|Close");
    }

    // A tick that comes while a box runs the event loop is ignored: no box opens inside the
    // first and no transfer is left running. Without the TCP link it refuses to start.
    void ticksNeverOverlapWhileABoxIsOpen() {
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        Opened opened(flags, linked);
        linked.devices.first()->closeAfterNextReply();
        QList<QPair<int, int>> stepsAroundNestedTicks;
        linked.prompts.openMilliseconds = 2000;
        linked.prompts.whileShown = [&](const MessageBoxRequest&) {
            const int before = opened.dialog->transfer().step();
            opened.dialog->transfer().tick();
            stepsAroundNestedTicks.append({before, opened.dialog->transfer().step()});
        };
        press(*opened.dialog, "sendAllButton");
        QTRY_VERIFY_WITH_TIMEOUT(!opened.timer->isActive(), 20000);
        QCOMPARE(linked.devices.first()->receivedLines().size(), 1);
        QVERIFY(!stepsAroundNestedTicks.isEmpty());
        for (const auto& [before, after] : stepsAroundNestedTicks)
            QCOMPARE(after, before);
        QCOMPARE(linked.prompts.mostOpenAtOnce, 1);
        QVERIFY(!linked.sender.isRunGoing());
        linked.prompts.openMilliseconds = 0;
        press(*opened.dialog, "sendAllButton");
        QCOMPARE(opened.shown(), "2|Close");
        QCOMPARE(linked.prompts.texts(), QStringList(2, "Socket が接続されていません"));
    }
};

QTEST_MAIN(PageTableDialogsTest)
#include "tst_pagetabledialogs.moc"
