#include "GlyphDriving.h"
#include "glyphs/GlyphEditorDialog.h"
#include "glyphs/GlyphInsertDialog.h"

// The glyph dialogs against the simulated device over every kind of link: a drawn glyph is
// registered and read back dot for dot, and inserted into a title.

using Link = LinkedDevice::Link;

class GlyphsOverLinksTest : public QObject {
    Q_OBJECT
private slots:
    void drawRegisterReadInsert_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<int>("boxMilliseconds");
        // Each link once; on one TCP and one serial link the boxes keep the event loop
        // running while they are open.
        QTest::newRow("TCP, program as client") << Link::TcpClient << 0;
        QTest::newRow("TCP, program as server, boxes open a while") << Link::TcpServer << 1200;
#ifdef ZEV_SIM_POSIX
        QTest::newRow("RS-232C") << Link::Rs232c << 0;
        QTest::newRow("RS-485, boxes open a while") << Link::Rs485 << 1200;
#endif
    }

    void drawRegisterReadInsert() {
        QFETCH(Link, link);
        QFETCH(int, boxMilliseconds);
        LinkedDevice linked;
        QCOMPARE(linked.start(link, {4}), QString());
        linked.state.link.slaveAddress = 4;
        linked.prompts.openMilliseconds = boxMilliseconds;
        DialogContext context = contextOf(linked);
        sim::Device* device = linked.devices.last();
        const bool serial = link == Link::Rs232c || link == Link::Rs485;

        GlyphEditorDialog editor(context);
        drag(editor, {15, 12}, {465, 372}, 45);
        drag(editor, {465, 12}, {15, 372}, 45);
        const QByteArray drawn = glyphDigits(linked.state);
        QCOMPARE(drawn.first(13), "0000000000004"); // dot (1, 1)
        choose(list(editor, "registrationNumberList"), 8);
        press(editor, "registerButton");
        QTRY_COMPARE(device->glyph(9), drawn);
        QTRY_COMPARE(linked.prompts.texts(), QStringList(serial ? "Success" : "Socket ＯＫ"));

        linked.prompts.answerNext(true);
        press(editor, "newButton");
        QCOMPARE(glyphDigits(linked.state), QByteArray(576, '0'));
        typeSample(editor, "09");
        press(editor, "readButton");
        QTRY_COMPARE(device->receivedLines().last(), "RFBMBA6D");
        QTRY_COMPARE(glyphDigits(linked.state), drawn);
        QCOMPARE(linked.sender.exchange().glyphReadPending, 0);

        // A device switching pages automatically refuses the read.
        device->refuseNext(1, "GN");
        press(editor, "readButton");
        QTRY_COMPARE(linked.prompts.boxes.size(), 2);
        QCOMPARE(linked.prompts.boxes.last().text,
                 serial ? "自動切換え中！" : "Socket 自動切換え中！");
        QCOMPARE(linked.prompts.boxes.last().icon, serial ? BoxIcon::Exclamation : BoxIcon::Stop);
        press(editor, "closeButton");

        // The insertion starts from, and changes, the area and page the title dialogs share.
        linked.state.selectedArea = 1;
        GlyphInsertDialog insertion(context);
        QCOMPARE(list(insertion, "channelList")->currentText(), "ch.1 Bottom");
        choose(list(insertion, "glyphNumberList"), 8);
        choose(list(insertion, "channelList"), 3);
        choose(list(insertion, "pageList"), 63);
        choose(list(insertion, "positionList"), 13);
        press(insertion, "insertButton");
        QTRY_COMPARE(device->titleCodes(3, 63)[13], sim::DeviceModel::glyphCode(9));
        QTRY_COMPARE(linked.prompts.boxes.size(), 3);
        QVERIFY(linked.document.titleTexts[SettingsDocument::titleIndex(3, 63)].isEmpty());
        QCOMPARE(std::pair(linked.state.selectedArea, linked.state.selectedPage), std::pair(3, 63));
        QCOMPARE(linked.prompts.unexpected, 0);
    }
};

QTEST_MAIN(GlyphsOverLinksTest)
#include "tst_glyphsoverlinks.moc"
