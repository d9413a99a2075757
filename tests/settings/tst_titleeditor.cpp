#include "DialogDriving.h"
#include "commands/CharacterLevelCommands.h"
#include "commands/DisplayPageCommands.h"
#include "commands/DisplayPositionCommands.h"
#include "commands/ReadBackCommands.h"
#include "core/ShiftJisText.h"
#include "onair/ChannelView.h"
#include "settings/TitleDialog.h"
#include "sim/monitor/MonitorWindow.h"
#include "ui/PageLine.h"

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

// The operator replaces the whole title, as an input method hands it over once confirmed.
void retype(TitleDialog& dialog, const QString& title) {
    auto* edit = dialog.findChild<QLineEdit*>("titleEdit");
    edit->selectAll();
    QInputMethodEvent committed;
    committed.setCommitString(title);
    QApplication::sendEvent(edit, &committed);
}

// The operator chooses the title's area and page and replaces it.
void edit(TitleDialog& dialog, int index, const QString& title) {
    choose(list(dialog, "areaList"), index / SettingsDocument::pageCount);
    choose(list(dialog, "pageNumberList"), index % SettingsDocument::pageCount);
    retype(dialog, title);
}

// The lines of the page list (1 to 16) that carry the mark of a changed title.
QList<int> changedLines(TitleDialog& dialog) {
    QList<int> marked;
    for (int line = 1; line <= 16; ++line) {
        if (dialog.findChild<PageLine*>(QString("pageLine%1").arg(line))->isChanged())
            marked.append(line);
    }
    return marked;
}

QByteArray sjis(const QString& text) {
    return ShiftJisText::encode(text).value();
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
        QCOMPARE(pageLine->accessibleDescription().contains("送れません"),
                 QString(shown).contains("送れません"));
        press(dialog, button);
        QTRY_COMPARE(linked.prompts.texts(),
                     QStringList(*line ? "Socket ＯＫ" : titleRefusedMessage));
        QVERIFY(!linked.sender.isWaitingForAnswer());
        QCOMPARE(linked.devices.first()->receivedLines(),
                 *line ? QList<QByteArray>{line + spaces((63 - qstrlen(line)) / 4)}
                       : QList<QByteArray>());
    }

    void halfWidthTitleTurnsFullWidth_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saveWarning"); // the line Save's refusal would say, if any
        QTest::addColumn<QString>("converted");   // empty: too long once full-width, not offered
        QTest::newRow("blank") << "Breaking News"
                               << "半角スペースか制御文字があるため保存できません。"
                               << "Ｂｒｅａｋｉｎｇ　Ｎｅｗｓ";
        QTest::newRow("s") << "s"
                           << "タイトル「s」はファイルに保存できません。"
                           << "ｓ";
        QTest::newRow("kana") << "ｶﾞｲﾄﾞ漢字"
                              << ""
                              << "ガイド漢字";
        QTest::newRow("too long") << "ABCDEFGHIJKLMNO"
                                  << ""
                                  << "";
    }

    // Whatever the box takes is marked before Save or a send would refuse it; "全角に変換" makes
    // it sendable as one edit, which Ctrl+Z takes back.
    void halfWidthTitleTurnsFullWidth() {
        QFETCH(QString, typed);
        QFETCH(QString, saveWarning);
        QFETCH(QString, converted);
        DialogBench bench;
        TitleDialog dialog(bench.context);
        dialog.show();
        retype(dialog, typed);
        auto* problem = dialog.findChild<QLabel*>("titleProblemLabel");
        auto* button = dialog.findChild<QPushButton*>("fullWidthButton");
        QVERIFY(problem->text().contains("半角文字は送れません"));
        QCOMPARE(problem->text().contains(saveWarning), true);
        QCOMPARE(problem->text().contains("保存できません"), !saveWarning.isEmpty());
        QVERIFY(button->isVisible());
        QCOMPARE(button->isEnabled(), !converted.isEmpty());
        if (converted.isEmpty())
            return;
        press(dialog, "fullWidthButton");
        QCOMPARE(bench.document.titleTexts[0], sjis(converted));
        QCOMPARE(problem->text(), QString());
        QVERIFY(!button->isVisible());
        QTest::keyClick(dialog.findChild<QLineEdit*>("titleEdit"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(bench.document.titleTexts[0], sjis(typed));
    }

    // Opening the editor and moving between areas and pages leaves the document unmodified;
    // an edit marks it, and the page list and page choice follow the edit.
    void onlyAChangedTitleMarksTheDocument() {
        DialogBench bench;
        bench.document.titleTexts[70].assign(sjis("大阪　くもり"));
        TitleDialog dialog(bench.context);
        choose(list(dialog, "areaList"), 1);
        choose(list(dialog, "pageNumberList"), 6);
        choose(list(dialog, "pageNumberList"), 5);
        choose(list(dialog, "pageNumberList"), 6);
        dialog.reject();
        QCOMPARE(bench.document.documentModified, 0);
        QCOMPARE(bench.document.titleTexts[70], sjis("大阪　くもり"));

        TitleDialog again(bench.context);
        QTest::keyClick(again.findChild<QLineEdit*>("titleEdit"), Qt::Key_Backspace);
        QCOMPARE(bench.document.documentModified, 1);
        QCOMPARE(list(again, "pageNumberList")->itemText(6), "7　大阪　くも");
        QCOMPARE(textOf(again, "pageLine7"), "Page07=大阪　くも");
    }

    // The preview is the monitor's drawing of what the device keys: the same pixels for the
    // title, position and levels sent, and other pixels when any of them changes.
    void previewIsWhatTheMonitorShows() {
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        sim::MonitorWindow monitor({{linked.devices.first(), "device", false}});
        onair::ChannelView* keyed = nullptr;
        for (auto* view : monitor.findChildren<onair::ChannelView*>())
            keyed = view->accessibleName() == "ch.1 video" ? view : keyed;
        linked.state.selectedArea = 1;
        linked.state.selectedPage = linked.document.displayPage[1] = 4;
        TitleDialog dialog(linked.context);
        auto* preview = dialog.findChild<onair::ChannelView*>("preview");
        dialog.show();
        monitor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog) && QTest::qWaitForWindowExposed(&monitor));

        const std::tuple<const char*, int, int, int> states[] = {
            {"大阪　くもり時々雨", 7, 1, 1}, {"大阪　晴れ", 7, 1, 1}, {"大阪　晴れ", 2, 1, 1},
            {"大阪　晴れ", 2, 3, 1},         {"大阪　晴れ", 2, 3, 0},
        };
        QImage previous;
        for (const auto& [title, position, white, edge] : states) {
            retype(dialog, title);
            linked.document.displayPosition[1] = position;
            linked.document.selectedWhiteLevel = white;
            linked.document.selectedEdgeLevel = edge;
            const qsizetype boxes = linked.prompts.boxes.size();
            press(dialog, "storeButton");
            sendDisplayPage(linked.context, 1);
            sendDisplayPosition(linked.context, 1);
            sendWhiteLevel(linked.context);
            sendEdgeLevel(linked.context);
            QTRY_COMPARE(linked.prompts.boxes.size(), boxes + 5);
            monitor.refresh();
            keyed->resize(preview->size()); // the two layouts give them different sizes
            const QImage shown = preview->grab().toImage();
            QCOMPARE(shown, keyed->grab().toImage());
            QVERIFY(shown != previous);
            previous = shown;
        }
    }

    // Only the titles edited since the device accepted them go, stored, in index order and at
    // the walk's pace; each mark goes with its "GO", and the button with the last one.
    void sendChangedSendsTheEditedTitles() {
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        TitleDialog dialog(linked.context);
        auto* button = dialog.findChild<QPushButton*>("sendChangedButton");
        QVERIFY(!button->isEnabled());
        edit(dialog, 255, "終");
        edit(dialog, 2, "大阪");
        edit(dialog, 69, "札幌");
        edit(dialog, 2, "大阪　雨");
        QCOMPARE(button->text(), "変更分を設定 (3)");
        QCOMPARE(changedLines(dialog), QList<int>{3}); // ch.1 Top pages 1 to 16 are shown
        TransferPacer& walk = dialog.walk();
        const QSignalBlocker onlyTheTestTicks(walk.timer());
        press(dialog, "sendChangedButton");
        QCOMPARE(walk.timer().interval(), 600);
        QStringList percents;
        for (int tick = 1; tick <= 3; ++tick) {
            walk.tick();
            QTRY_VERIFY(!linked.awaiting());
            percents.append(progress(dialog));
        }
        QCOMPARE(percents, QStringList({"33|1", "66|2", "  |0"}));
        QCOMPARE(linked.devices.first()->receivedLines(),
                 QList<QByteArray>({"CT01T03" + QByteArray("42673A652121312B") + spaces(10),
                                    "CT01B06" + QByteArray("3B254B5A") + spaces(12),
                                    "CT02B64" + QByteArray("3D2A") + spaces(13)}));
        QCOMPARE(ChangedTitles::indexes(linked.state), QList<int>());
        QCOMPARE(changedLines(dialog), QList<int>());
        QCOMPARE(button->text(), "変更分を設定");
        QVERIFY(!button->isEnabled());
        // A run's "GO" shows no box; the last one comes after the run, as in every run.
        QCOMPARE(linked.prompts.texts(), QStringList{"Socket ＯＫ"});
    }

    // A refusal by the device stops the run at the next tick (its box spinning the event loop
    // meanwhile); the refused title and those after it stay marked for the next try.
    void sendChangedKeepsWhatTheDeviceRefused() {
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        linked.prompts.openMilliseconds = 1500;
        TitleDialog dialog(linked.context);
        for (const int index : {10, 20, 30})
            edit(dialog, index, "題");
        TransferPacer& walk = dialog.walk();
        const QSignalBlocker onlyTheTestTicks(walk.timer());
        sim::Device* device = linked.devices.first();
        press(dialog, "sendChangedButton");
        for (int tick = 1; tick <= 3; ++tick) {
            device->refuseNext(tick == 2, "E3");
            walk.tick();
            QTRY_VERIFY(!linked.awaiting());
        }
        QVERIFY(!walk.isRunning());
        QCOMPARE(linked.prompts.texts(), QStringList{"Socket Command"});
        QCOMPARE(device->receivedLines().size(), 2);
        QCOMPARE(ChangedTitles::indexes(linked.state), QList<int>({20, 30}));
        QCOMPARE(dialog.findChild<QPushButton*>("sendChangedButton")->text(), "変更分を設定 (2)");
    }

    // A mark stays while the device lacks the title as it now reads: accepted before the
    // operator typed on, or sent without being stored. A read-back of the title takes it away,
    // for the document then holds what the device has.
    void marksFollowWhatTheDeviceHolds() {
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        TitleDialog dialog(linked.context);
        edit(dialog, 0, "雨");
        press(dialog, "storeButton");
        retype(dialog, "雪"); // before the device has answered
        QTRY_VERIFY(!linked.awaiting());
        QCOMPARE(ChangedTitles::indexes(linked.state), QList<int>{0});
        press(dialog, "notMemoryButton");
        QTRY_VERIFY(!linked.awaiting());
        QCOMPARE(ChangedTitles::indexes(linked.state), QList<int>{0});
        QCOMPARE(changedLines(dialog), QList<int>{1});
        linked.sender.send(readBackRequest(readBackStepCount - SettingsDocument::titleCount + 1));
        QTRY_VERIFY(!linked.awaiting());
        QCOMPARE(ChangedTitles::indexes(linked.state), QList<int>());
        QCOMPARE(changedLines(dialog), QList<int>());
        QCOMPARE(linked.document.titleTexts[0], sjis("雪")); // as the device reports it
        QCOMPARE(linked.prompts.texts(), QStringList({"Socket ＯＫ", "Socket ＯＫ"}));
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
