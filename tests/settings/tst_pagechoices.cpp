#include "DialogDriving.h"
#include "core/ShiftJisText.h"
#include "glyphs/GlyphInsertDialog.h"
#include "settings/DisplayFlagDialog.h"
#include "settings/SwitchTimeDialog.h"
#include "settings/TitleDialog.h"
#include "ui/TitleWarning.h"

#include <QLabel>

// Every page choice names the pages by their titles, takes typed page numbers and follows the
// document as the device's replies fill it.

namespace {

// The dialog, its page choice, the document field the choice sets, and for the page tables the
// third line of the page list.
struct Choice {
    int dialog;
    const char* list;
    int area;
    const char* pageLine;
};

std::unique_ptr<QDialog> open(int number, DialogContext& context) {
    using Dialog = std::unique_ptr<QDialog>;
    return number == 108   ? Dialog(new TitleDialog(context))
           : number == 112 ? Dialog(new GlyphInsertDialog(context))
           : number == 114 ? Dialog(new DisplayFlagDialog(context))
           : number == 117 ? Dialog(new SwitchTimeDialog(context))
                           : openDialog(number, context);
}

int& chosenPage(int number, LinkedDialogs& linked, int area) {
    return number == 109   ? linked.document.displayPage[area]
           : number == 110 ? linked.document.startupPage[area]
                           : linked.state.selectedPage;
}

QByteArray sjis(const QString& text) {
    return ShiftJisText::encode(text).value();
}

} // namespace

Q_DECLARE_METATYPE(Choice)

class PageChoicesTest : public QObject {
    Q_OBJECT
private slots:
    // Typed digits belong together while they come this quickly.
    void initTestCase() { QApplication::setKeyboardInputInterval(100); }

    void pagesShowTheirTitles_data() {
        QTest::addColumn<Choice>("choice");
        const Choice choices[] = {
            {109, "ch1BottomList", 1, ""},
            {110, "ch2TopList", 2, ""},
            {108, "pageNumberList", 2, ""},
            {114, "pageList", 2, "Page03 = ON 　大阪　くもり時々雨"},
            {117, "pageList", 2, "Page03 = 02 秒　大阪　くもり時々雨"},
            {112, "pageList", 2, ""},
        };
        for (const Choice& choice : choices)
            QTest::addRow("%d %s", choice.dialog, choice.list) << choice;
    }

    void pagesShowTheirTitles() {
        QFETCH(Choice, choice);
        const auto [number, listName, area, pageLine] = choice;
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpClient), QString());
        linked.state.selectedArea = area;
        for (int each = 0; each < SettingsDocument::areaCount; ++each) {
            linked.document.titleTexts[each * 64 + 2].assign(sjis("大阪　くもり時々雨"));
            linked.document.titleTexts[each * 64 + 4].assign("Breaking");
        }
        linked.document.titleTexts[3 * 64 + 2].assign(sjis("福岡"));
        const auto dialog = open(number, linked.context);
        QComboBox* pages = list(*dialog, listName);
        const bool withAuto = number == 109 || number == 110;

        QCOMPARE(pages->count(), withAuto ? 65 : 64);
        QCOMPARE(pages->itemText(2), "3　大阪　くもり時々雨");
        QCOMPARE(pages->itemText(4), "5　Breaking");
        QCOMPARE(pages->itemText(63), "64");
        QCOMPARE(pages->itemText(64), withAuto ? "AUTO" : "");
        QCOMPARE(pages->itemData(4, Qt::ForegroundRole).value<QColor>(), refusedTitleColour);
        QCOMPARE(pages->itemData(4, Qt::ToolTipRole).toString(), titleWarning("Breaking"));
        QVERIFY(!pages->itemData(2, Qt::ForegroundRole).isValid());
        if (*pageLine)
            QCOMPARE(dialog->findChild<QLabel*>("pageLine3")->text(), pageLine);

        // Digits typed in quick succession make one page number; "A" is AUTO where there is one.
        int& chosen = chosenPage(number, linked, area);
        const std::pair<const char*, int> typed[] = {
            {"12", 11}, {"A", withAuto ? 64 : 11}, {"65", 4}, {"a", withAuto ? 64 : 4}};
        for (const auto& [keys, page] : typed) {
            QTest::qWait(QApplication::keyboardInputInterval() + 50);
            QTest::keyClicks(pages, keys);
            QCOMPARE(pages->currentIndex(), page);
            QCOMPARE(chosen, page);
        }

        // A title the device answers with shows at once.
        const QByteArray areaCode = "0" + QByteArray::number(area / 2 + 1) + "TB"[area % 2];
        linked.devices.first()->receive("CT" + areaCode + "10" + "4067" +
                                        QByteArray("2121").repeated(13) + "\r\n");
        QCOMPARE(pages->itemText(9), "10");
        linked.sender.send("RCT" + areaCode + "10\r\n");
        QTRY_COMPARE(pages->itemText(9), "10　仙");

        // The pages follow the area chosen.
        if (auto* areas = list(*dialog, number == 112 ? "channelList" : "areaList")) {
            choose(areas, 3);
            QCOMPARE(pages->itemText(2), "3　福岡");
        }
    }
};

QTEST_MAIN(PageChoicesTest)
#include "tst_pagechoices.moc"
