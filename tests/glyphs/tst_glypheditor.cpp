#include "GlyphDriving.h"
#include "glyphs/GlyphEditorDialog.h"
#include "support/Files.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

// The blank glyph with the given digits changed.
QByteArray withDigits(std::initializer_list<std::pair<int, char>> digits) {
    QByteArray glyph(576, '0');
    for (const auto& [index, digit] : digits)
        glyph[index] = digit;
    return glyph;
}

} // namespace

class GlyphEditorTest : public QObject {
    Q_OBJECT
    std::unique_ptr<DialogBench> bench;
    QTemporaryDir folder;

    QString path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }
    // The text and icon of the last box.
    QString lastBox() const {
        static const char* const icons[] = {"no icon", "exclamation", "stop"};
        const MessageBoxRequest& box = bench->prompts.boxes.last();
        return box.text + ", " + icons[int(box.icon)];
    }

private slots:
    void init() { bench = std::make_unique<DialogBench>(); }

    // Dot (column, row) is bit 8 >> column % 4 of digit row * 12 + column / 4; the outer ring
    // does not answer the mouse.
    void drawingWithTheMouse() {
        AppState& state = bench->state;
        GlyphEditorDialog editor(bench->context);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QWindow* window = editor.windowHandle();
        for (const QPoint ring : {QPoint(9, 100), QPoint(100, 7), QPoint(470, 100),
                                  QPoint(100, 376), QPoint(479, 383), QPoint(-5, 12)})
            QTest::mouseClick(window, Qt::LeftButton, {}, ring);
        QCOMPARE(glyphDigits(state), withDigits({}));
        QTest::mouseClick(window, Qt::LeftButton, {}, {10, 8});
        QTest::mouseClick(window, Qt::LeftButton, {}, {469, 375});
        QCOMPARE(glyphDigits(state), withDigits({{12, '4'}, {563, '2'}}));
        QTest::mouseClick(window, Qt::RightButton, {}, {469, 375});

        // The editor keeps the mouse while a button is held, also outside the grid.
        QTest::mousePress(window, Qt::LeftButton, {}, {19, 15});
        for (const QPoint point : {QPoint(25, 12), QPoint(35, 12), QPoint(600, 12), QPoint(45, 12),
                                   QPoint(45, 3), QPoint(5, 12)})
            QTest::mouseMove(window, point);
        QTest::mouseRelease(window, Qt::LeftButton, {}, {5, 12});
        QCOMPARE(glyphDigits(state), withDigits({{12, '7'}, {13, '8'}}));
        QTest::mousePress(window, Qt::LeftButton, {}, {35, 12});
        QTest::mousePress(window, Qt::RightButton, {}, {35, 12});
        QTest::mouseMove(window, {45, 12});
        QTest::mouseRelease(window, Qt::RightButton, {}, {45, 12});
        QTest::mouseRelease(window, Qt::LeftButton, {}, {45, 12});
        QCOMPARE(glyphDigits(state), withDigits({{12, '6'}}));
    }

    // A file that cannot be read changes nothing, a failed save keeps the glyph unsaved.
    void newAndGlyphFiles() {
        AppState& state = bench->state;
        GlyphState& glyphs = state.glyphs;
        RecordingPrompts& prompts = bench->prompts;
        GlyphEditorDialog editor(bench->context);
        press(editor, "newButton");
        QTest::mouseClick(&editor, Qt::LeftButton, {}, {10, 8});
        prompts.chooseNext(path("glyph"));
        press(editor, "saveAsButton");
        // One byte a line, with the trailing bytes that New leaves.
        QCOMPARE(fileBytes(path("glyph.txt")).replace("\r\n", ""),
                 withDigits({{12, '4'}}) + '\0' + "000");
        QCOMPARE(glyphs.glyphModified, 0);
        QTest::mouseClick(&editor, Qt::LeftButton, {}, {300, 395});
        prompts.answerNext(false);
        press(editor, "newButton");
        QCOMPARE(glyphDigits(state), withDigits({{12, '4'}}));
        QCOMPARE(prompts.questions.last().owner, &editor);

        QFile(path("not a glyph")).open(QIODevice::WriteOnly);
        prompts.answerNext(true);
        prompts.chooseNext(path("not a glyph"));
        press(editor, "openButton");
        QCOMPARE(lastBox(), "Can't file open, exclamation");
        QCOMPARE(glyphs.glyphFilePath, path("glyph.txt"));
        QCOMPARE(state.glyphSample[12], '4');
        glyphs.glyphFilePath = path("missing/glyph.txt");
        press(editor, "saveButton");
        QCOMPARE(lastBox(), "Can't file open, stop");
        QCOMPARE(glyphs.glyphModified, 1);

        // Reopened blank, it forgets the file: a Save must not write the blank glyph over it.
        editor.reject();
        GlyphEditorDialog reopened(bench->context);
        QCOMPARE(QByteArray(state.glyphSample.data(), 580), QByteArray(580, '0'));
        QVERIFY(glyphs.glyphFilePath.isEmpty());
    }

    // Two bytes of sample text at most; a second read before the answer sends nothing; Close
    // ends the wait, also for a read that got no answer.
    void sampleRead() {
        GlyphEditorDialog editor(bench->context);
        for (const char* refused : {"", "29"}) {
            typeSample(editor, refused);
            press(editor, "readButton");
            QCOMPARE(lastBox(), "外字登録番号, stop");
        }
        typeSample(editor, "091");
        QCOMPARE(bench->state.glyphs.glyphSampleText, "09");
        press(editor, "readButton");
        press(editor, "readButton");
        QCOMPARE(bench->serial.writes, QList<QByteArray>{"RFBMBA6D\r\n"});
        press(editor, "closeButton");
        QCOMPARE(bench->sender.exchange().glyphReadPending, 0);
    }
};

QTEST_MAIN(GlyphEditorTest)
#include "tst_glypheditor.moc"
