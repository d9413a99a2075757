#include "GlyphDriving.h"
#include "glyphs/GlyphEditorDialog.h"
#include "glyphs/GlyphInsertDialog.h"

// A drawn glyph registered, read back dot for dot and inserted into a title on the device.

class GlyphsOverLinksTest : public QObject {
    Q_OBJECT
private slots:
    // The boxes keep the event loop running while they are open. (The reply handling of each
    // link: tst_replylines.)
    void drawRegisterReadInsert() {
        LinkedDialogs linked;
        QCOMPARE(linked.start(LinkedDevice::Link::TcpServer), QString());
        linked.prompts.openMilliseconds = 1200;
        sim::Device* device = linked.devices.first();

        GlyphEditorDialog editor(linked.context);
        drag(editor, {15, 12}, {465, 372}, 45);
        drag(editor, {465, 12}, {15, 372}, 45);
        const QByteArray drawn = glyphDigits(linked.state);
        QCOMPARE(drawn.first(13), "0000000000004"); // dot (1, 1)
        choose(list(editor, "registrationNumberList"), 8);
        press(editor, "registerButton");
        QTRY_COMPARE(device->glyph(9), drawn);
        QTRY_COMPARE(linked.prompts.texts(), QStringList{"Socket ＯＫ"});

        linked.prompts.answerNext(true);
        press(editor, "newButton");
        QCOMPARE(glyphDigits(linked.state), QByteArray(576, '0'));
        typeSample(editor, "09");
        press(editor, "readButton");
        QTRY_COMPARE(device->receivedLines().last(), "RFBMBA6D");
        QTRY_COMPARE(glyphDigits(linked.state), drawn);
        QCOMPARE(linked.sender.exchange().glyphReadPending, 0);
        press(editor, "closeButton");

        GlyphInsertDialog insertion(linked.context);
        choose(list(insertion, "glyphNumberList"), 8);
        choose(list(insertion, "channelList"), 3);
        choose(list(insertion, "pageList"), 63);
        choose(list(insertion, "positionList"), 13);
        press(insertion, "insertButton");
        QTRY_COMPARE(device->titleCodes(3, 63)[13], sim::DeviceModel::glyphCode(9));
        QTRY_COMPARE(linked.prompts.boxes.size(), 2);
        QCOMPARE(linked.prompts.unexpected, 0);
    }
};

QTEST_MAIN(GlyphsOverLinksTest)
#include "tst_glyphsoverlinks.moc"
