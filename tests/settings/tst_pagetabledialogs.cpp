#include "DialogDriving.h"
#include "settings/DisplayFlagDialog.h"
#include "settings/SwitchTimeCommands.h"
#include "settings/SwitchTimeDialog.h"

#include <QProgressBar>
#include <algorithm>

// The title display dialog (114) and the automatic switching dialog (117) against the
// simulated device: the one-page lines, the lists, and the timed transfer of all four areas.

using Link = LinkedDevice::Link;

namespace {

constexpr int flags = DisplayFlagDialog::number;

// A page's stored value, the operator's choice (-1: none, the stored value is sent), the line.
struct OnePage {
    int number, area, page, stored, chosen;
    const char* line;
};

// One of the two dialogs, opened on the linked program side, with the widgets a test works.
struct Opened {
    Opened(int dialogNumber, LinkedDevice& linked)
        : number(dialogNumber), context(contextOf(linked)),
          dialog(number == flags ? std::unique_ptr<PageTableDialog>(new DisplayFlagDialog(context))
                                 : std::make_unique<SwitchTimeDialog>(context)),
          values(number == flags ? linked.document.titleDisplayOn
                                 : linked.document.autoSwitchTimes),
          timer(dialog->findChild<QTimer*>("transferTimer")), areaList(list(*dialog, "areaList")),
          pageList(list(*dialog, "pageList")),
          valueList(list(*dialog, number == flags ? "displayList" : "timeList")),
          sameList(list(*dialog, number == flags ? "sameDisplayList" : "sameTimeList")),
          progress(dialog->findChild<QProgressBar*>()),
          close(dialog->findChild<QPushButton*>("closeButton")) {}

    // The value the device is told of for a stored one.
    int sent(int value) const { return number == flags ? value != 0 : sendableSeconds(value); }
    // All 256 values as the device holds them, or as the document would have it hold them.
    QList<int> table(const sim::Device* device = nullptr) const {
        QList<int> table;
        for (int area = 0; area < 4; ++area)
            for (int page = 0; page < 64; ++page)
                table << (!device           ? sent(values[area][page])
                          : number == flags ? device->titleShown(area, page)
                                            : device->switchTime(area, page));
        return table;
    }
    // Presses "全設定" and keeps the transfer's own timer out of the way: the test ticks.
    void startHeld() {
        press(*dialog, "sendAllButton");
        timer->setInterval(3600 * 1000);
    }

    int number;
    DialogContext context;
    std::unique_ptr<PageTableDialog> dialog;
    SettingsDocument::PerPage<int>& values;
    QTimer* timer;
    QComboBox *areaList, *pageList, *valueList, *sameList;
    QProgressBar* progress;
    QPushButton* close;
};

void awaitReply(LinkedDevice& linked) {
    QTRY_VERIFY(linked.sender.exchange().replyPending == 0 && !linked.sender.isAwaitingTcpReply() &&
                !linked.sender.hasLinesToInterpret());
}

// A document for the transfer, ch.1 Top at its start values, ch.2 Bottom with values only a
// damaged file holds; and the four lines it gives.
QList<QByteArray> fillPattern(int number, SettingsDocument::PerPage<int>& values) {
    QByteArray rising = "AST01B", falling = "AST02T";
    for (int page = 0; page < 64; ++page) {
        values[1][page] = number == flags ? 1 - page % 2 : page;
        values[2][page] = number == flags ? page >= 3 : 99 - page;
        values[3][page] = 0;
        rising += QByteArray::number(page).rightJustified(2, '0');
        falling += QByteArray::number(99 - page);
    }
    values[3][0] = number == flags ? 5 : 150;
    values[3][63] = number == flags ? -1 : -9;
    if (number == flags)
        return {"CTD01T" + QByteArray(64, 'N'), "CTD01B" + QByteArray("NF").repeated(32),
                "CTD02TFFF" + QByteArray(61, 'N'), "CTD02BN" + QByteArray(62, 'F') + "N"};
    return {"AST01T" + QByteArray("02").repeated(64), rising, falling,
            "AST02B99" + QByteArray("00").repeated(63)};
}

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

    // The operator's choices of area, page and value, and "設定" sending that page's line; the
    // lists show what is sent, and the document is not marked modified.
    void onePageReachesTheDevice() {
        QFETCH(OnePage, row);
        const auto [number, area, page, stored, chosen, line] = row;
        LinkedDevice linked;
        QCOMPARE(linked.start(Link::TcpClient), QString());
        linked.document.titleDisplayOn[area][page] = linked.document.autoSwitchTimes[area][page] =
            stored;
        Opened opened(number, linked);
        choose(opened.areaList, area);
        choose(opened.pageList, page);
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
            LinkedDevice linked;
            Opened opened(number, linked);
            opened.values[1].fill(0);
            const auto untouched = opened.values;
            choose(opened.areaList, 2);
            choose(opened.sameList, same);
            for (int area : {0, 1, 3})
                QCOMPARE(opened.values[area], untouched[area]);
            QVERIFY(
                std::ranges::all_of(opened.values[2], [&](int value) { return value == same; }));
        }
    }

    void transferCarriesTheDocument_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<int>("number");
        // Both dialogs share the transfer's code; serial and TCP differ in the last reply's box.
        QTest::newRow("TCP client, 114") << Link::TcpClient << flags;
#ifdef ZEV_SIM_POSIX
        QTest::newRow("RS-485, 117") << Link::Rs485 << 117;
#endif
    }

    // "全設定" sends the four 64-page lines one per tick, then the device holds exactly the
    // document's values. "設定" goes out between the lines in 114 and not at all in 117, a
    // second "全設定" does nothing, and Close is disabled until the transfer ends.
    void transferCarriesTheDocument() {
        QFETCH(Link, link);
        QFETCH(int, number);
        LinkedDevice linked;
        QCOMPARE(linked.start(link, {4}), QString());
        linked.state.link.slaveAddress = 4;
        Opened opened(number, linked);
        QList<QByteArray> expected = fillPattern(number, opened.values);
        sim::Device* device = linked.devices.first();
        QCOMPARE(opened.timer->interval(), number == flags ? 500 : 1200);
        opened.startHeld();
        QVERIFY(opened.timer->isActive() && !opened.close->isEnabled());

        if (number == flags)
            expected.insert(1, "CTD01T01ON");
        for (int tick = 1; tick <= 4; ++tick) {
            opened.dialog->transfer().tick();
            QTRY_COMPARE(device->receivedLines().size(), tick + (number == flags && tick > 1));
            awaitReply(linked);
            QCOMPARE(opened.progress->value(), tick % 4);
            if (tick == 1) {
                press(*opened.dialog, "sendButton");
                press(*opened.dialog, "sendAllButton");
            }
        }
        QCOMPARE(device->receivedLines(), expected);
        QVERIFY(!opened.timer->isActive() && opened.close->isEnabled());
        QCOMPARE(linked.sender.exchange().sequenceStep, 0);
        QCOMPARE(opened.table(device), opened.table());
        // Only the reply to the last line, which comes after the transfer, shows a box.
        QTRY_COMPARE(linked.prompts.texts(),
                     QStringList(link == Link::Rs485 ? "Success" : "Socket ＯＫ"));
    }

    // A failure left by the reply to an earlier single line does not stop the run. An "E3"
    // stops the transfer at the next tick, with the progress bar where it was, and clears the
    // failure so that the next "全設定" runs; an unconnected TCP link refuses to start, with one
    // box per press.
    void transferStopsAfterAnErrorOrWithoutALink() {
        LinkedDevice linked;
        QCOMPARE(linked.start(Link::TcpClient), QString());
        Opened opened(117, linked);
        sim::Device* device = linked.devices.first();
        device->refuseNext(1, "E3");
        press(*opened.dialog, "sendButton");
        awaitReply(linked);
        QCOMPARE(linked.sender.exchange().exchangeFailed, 1);
        opened.startHeld();
        for (int tick = 1; tick <= 3; ++tick) {
            device->refuseNext(tick == 2, "E3");
            opened.dialog->transfer().tick();
            awaitReply(linked);
        }
        QCOMPARE(device->receivedLines().size(), 3);
        QCOMPARE(linked.prompts.texts(), QStringList(2, "Socket Command"));
        QCOMPARE(opened.progress->value(), 2);
        QVERIFY(!opened.timer->isActive() && opened.close->isEnabled());
        QCOMPARE(linked.sender.exchange().sequenceStep, 0);
        opened.startHeld();
        opened.dialog->transfer().tick();
        QTRY_COMPARE(device->receivedLines().size(), 4);
        QCOMPARE(device->receivedLines().last(), device->receivedLines().at(1));

        LinkedDevice unlinked;
        unlinked.state.link.interfaceKind = InterfaceKind::Tcp;
        Opened refused(flags, unlinked);
        press(*refused.dialog, "sendAllButton");
        QVERIFY(!refused.timer->isActive() && refused.close->isEnabled());
        QCOMPARE(unlinked.sender.exchange().sequenceStep, 0);
        press(*refused.dialog, "sendButton"); // reported by the sender, as any single line
        QCOMPARE(unlinked.prompts.texts(), QStringList(2, "Socket が接続されていません"));
    }

    // A box that a tick opens (the device has gone, the send fails) runs the event loop for
    // seconds; a tick that comes meanwhile is ignored, so no second box opens inside the first
    // and no transfer is left running. Both dialogs share the timer and the tick.
    void ticksNeverOverlapWhileABoxIsOpen() {
        LinkedDevice linked;
        QCOMPARE(linked.start(Link::TcpClient), QString());
        Opened opened(flags, linked);
        linked.devices.first()->closeAfterNextReply();
        QList<QPair<int, int>> stepsAroundNestedTicks;
        linked.prompts.openMilliseconds = 2000;
        linked.prompts.whileShown = [&](const MessageBoxRequest&) {
            const int before = linked.sender.exchange().sequenceStep;
            opened.dialog->transfer().tick();
            stepsAroundNestedTicks.append({before, linked.sender.exchange().sequenceStep});
        };
        press(*opened.dialog, "sendAllButton");
        QTRY_VERIFY_WITH_TIMEOUT(!opened.timer->isActive(), 20000);
        QCOMPARE(linked.devices.first()->receivedLines().size(), 1);
        QVERIFY(!stepsAroundNestedTicks.isEmpty());
        for (const auto& [before, after] : stepsAroundNestedTicks)
            QCOMPARE(after, before);
        QCOMPARE(linked.prompts.mostOpenAtOnce, 1);
        QCOMPARE(linked.sender.exchange().sequenceStep, 0);
        QVERIFY(opened.close->isEnabled());
    }
};

QTEST_MAIN(PageTableDialogsTest)
#include "tst_pagetabledialogs.moc"
