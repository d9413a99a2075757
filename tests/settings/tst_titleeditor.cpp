#include "DialogDriving.h"
#include "core/ShiftJisText.h"
#include "settings/TitleDialog.h"

#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalBlocker>

// The title editor against the simulated device, byte for byte; the walk tick by tick.

namespace {

QString textOf(TitleDialog& dialog, const char* name) {
    return dialog.findChild<QWidget*>(name)->property("text").toString();
}

// The percentage box and the bar.
QString progress(TitleDialog& dialog) {
    return textOf(dialog, "percentBox") + "|" +
           QString::number(dialog.findChild<QProgressBar*>("walkProgressBar")->value());
}

// Index; the title before and after the text is committed (hex); the count and mark beside the
// box; the button pressed and the line sent without its trailing spaces (none:
// refused).
struct TitleRow {
    int index;
    QByteArray held;
    const char* typed;
    QByteArray kept;
    const char *shown, *button, *line;
};

QByteArray spaces(int count) {
    return QByteArray("2121").repeated(count);
}

} // namespace

Q_DECLARE_METATYPE(TitleRow)

class TitleEditorTest : public QObject {
    Q_OBJECT
private slots:
    void titlesReachTheDevice_data() {
        QTest::addColumn<TitleRow>("row");
        const TitleRow rows[] = {
            {0, "", "", "", "0/28バイト|", "storeButton", "CT01T01"},
            {200, "", "ＡＢ", "82608261", "4/28バイト|", "notMemoryButton", "CN02B0923412342"},
            {64, "", "漢字", "8abf8e9a", "4/28バイト|", "storeButton", "CT01B0134413B7A"},
            {191, "", "あいうえおかきくけこさしすせ",
             "82a082a282a482a682a882a982ab82ad82af82b182b382b582b782b9", "28/28バイト|",
             "storeButton", "CT02T642422242424262428242A242B242D242F24312433243524372439243B"},
            {1, "", "〜－−", "8160817c817c", "6/28バイト|", "storeButton", "CT01T022141215D215D"},
            {68, "", "Ａｱ", "8260b1", "3/28バイト|2文字目「ｱ」(B1): 半角文字は送れません",
             "storeButton", ""},
            // Ⅰ as 0xFA4A cannot be sent, as 0x8754 it could: typing beside it must not turn
            // it into the other code.
            {9, "fa4a", "あ", "fa4a82a0",
             "4/28バイト|1文字目「Ⅰ」(FA4A): JIS第１水準,第２水準以外の文字は送れません",
             "storeButton", ""},
        };
        for (const TitleRow& row : rows)
            QTest::addRow("title %d", row.index) << row;
    }

    // The page list marks the same titles as the box, before anything is sent.
    void titlesReachTheDevice() {
        QFETCH(TitleRow, row);
        const auto [index, held, typed, kept, shown, button, line] = row;
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        linked.document.titleTexts[index].assign(QByteArray::fromHex(held));
        TitleDialog dialog(linked.context);
        choose(list(dialog, "areaList"), index / 64);
        choose(list(dialog, "pageNumberList"), index % 64);
        QInputMethodEvent committed; // as an input method hands it over once confirmed
        committed.setCommitString(typed);
        QApplication::sendEvent(dialog.findChild<QLineEdit*>("titleEdit"), &committed);
        QCOMPARE(linked.document.titleTexts[index], QByteArray::fromHex(kept));
        QCOMPARE(textOf(dialog, "byteCountLabel") + "|" + textOf(dialog, "titleProblemLabel"),
                 shown);
        const auto* pageLine = dialog.findChild<QLabel*>(QString("pageLine%1").arg(index % 16 + 1));
        QCOMPARE(pageLine->toolTip().isEmpty(), !QString(shown).contains("送れません"));
        press(dialog, button);
        QTRY_COMPARE(linked.prompts.texts(),
                     QStringList(*line ? "Socket ＯＫ" : titleRefusedMessage));
        QVERIFY(!linked.sender.isWaitingForAnswer());
        QCOMPARE(linked.devices.first()->receivedLines(),
                 *line ? QList<QByteArray>{line + spaces((63 - qstrlen(line)) / 4)}
                       : QList<QByteArray>());
    }

    // Titles are read as their tick comes; buttons and Close do nothing while the walk runs.
    void walkSendsEveryTitleInOrder() {
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        for (int index = 0; index < SettingsDocument::titleCount; index += 7)
            linked.document.titleTexts[index].assign(ShiftJisText::encode("題").value());
        TitleDialog dialog(linked.context);
        dialog.show();
        TransferPacer& walk = dialog.walk();
        const QSignalBlocker onlyTheTestTicks(walk.timer());
        press(dialog, "storeAllButton");
        QCOMPARE(walk.timer().interval(), 600);
        QVERIFY(!dialog.findChild<QPushButton*>("closeButton")->isEnabled());

        QStringList percents;
        for (int tick = 1; tick <= SettingsDocument::titleCount; ++tick) {
            if (tick == 2) {
                for (const char* button : {"storeButton", "notMemoryButton", "storeAllButton",
                                           "notMemoryAllButton", "closeButton"})
                    press(dialog, button);
                QTest::keyClick(&dialog, Qt::Key_Escape);
                QVERIFY(dialog.isVisible());
            }
            if (tick == 100) // not sent yet: goes in its new form
                linked.document.titleTexts[200].assign(ShiftJisText::encode("後").value());
            walk.tick();
            if (tick == 1 || tick == 3 || tick == 128 || tick == 255)
                percents.append(progress(dialog));
        }
        QCOMPARE(percents, QStringList({"0|1", "1|3", "50|128", "99|255"}));
        QVERIFY(!walk.isRunning());
        QCOMPARE(progress(dialog), "  |0");
        QVERIFY(dialog.findChild<QPushButton*>("closeButton")->isEnabled());
        QVERIFY(!linked.sender.isRunGoing());

        QList<QByteArray> lines;
        for (int index = 0; index < SettingsDocument::titleCount; ++index)
            lines << QString::asprintf("CT0%d%c%02d", index / 128 + 1, "TB"[index / 64 % 2],
                                       index % 64 + 1)
                             .toLatin1() +
                         (index % 7 == 0 ? "426A" + spaces(13)
                          : index == 200 ? "3865" + spaces(13)
                                         : spaces(14));
        QTRY_COMPARE(linked.devices.first()->receivedLines(), lines);
    }

    // A device error stops the walk at the next tick, the progress left as it was; a title
    // that cannot be sent ends it with the progress cleared. (The refusals to start and the
    // failure left for the next walk are the run's: tst_transfers.)
    void walkStops() {
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        TitleDialog dialog(linked.context);
        TransferPacer& walk = dialog.walk();
        const QSignalBlocker onlyTheTestTicks(walk.timer());
        sim::Device* device = linked.devices.first();
        press(dialog, "storeAllButton");
        for (int tick = 1; tick <= 4; ++tick) {
            device->refuseNext(tick == 3, "E3");
            walk.tick();
            QTRY_VERIFY(!linked.awaiting());
        }
        QCOMPARE(linked.prompts.texts(), QStringList{"Socket Command"});
        QVERIFY(!walk.isRunning());
        QCOMPARE(device->receivedLines().size(), 3);
        QCOMPARE(progress(dialog), "1|3");

        linked.document.titleTexts[5].assign(QByteArray::fromHex("82a041"));
        press(dialog, "storeAllButton");
        for (int tick = 1; tick <= 6; ++tick)
            walk.tick();
        QVERIFY(!walk.isRunning());
        QTRY_COMPARE(device->receivedLines().size(), 3 + 5);
        QCOMPARE(device->receivedLines().last(), "CT01T05" + spaces(14));
        QCOMPARE(linked.prompts.texts().at(1), titleRefusedMessage);
        QCOMPARE(progress(dialog), "  |0");
        QVERIFY(dialog.findChild<QPushButton*>("closeButton")->isEnabled());
    }

    // Ticks that fire in a box's nested event loop are ignored: the walk neither sends from
    // inside the box nor ends under the tick that opened it.
    void ticksNeverOverlapWhileABoxIsOpen() {
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        QList<int> stepsAtBoxes;
        TitleDialog dialog(linked.context);
        TransferPacer& walk = dialog.walk();
        linked.prompts.openMilliseconds = 1500;
        linked.prompts.whileShown = [&](const MessageBoxRequest&) {
            stepsAtBoxes.append(walk.step());
        };
        sim::Device* device = linked.devices.first();
        device->closeAfterNextReply(); // the second title finds no connection
        press(dialog, "storeAllButton");
        walk.tick();
        QTRY_VERIFY(!linked.tcp.hasClientSocket());
        walk.tick();
        QTRY_VERIFY_WITH_TIMEOUT(!walk.isRunning(), 5000);
        QCOMPARE(linked.prompts.texts(), QStringList{"Socket が接続されていません"});
        QCOMPARE(stepsAtBoxes, QList<int>{1});
        QCOMPARE(linked.prompts.mostOpenAtOnce, 1);
        QCOMPARE(device->receivedLines().size(), 1);
        QCOMPARE(progress(dialog), "0|2"); // the failed send counted; the next tick stopped
        QVERIFY(!linked.sender.isRunGoing());
    }
};

QTEST_MAIN(TitleEditorTest)
#include "tst_titleeditor.moc"
