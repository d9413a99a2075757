#include "GlyphDriving.h"
#include "glyphs/GlyphEditorDialog.h"
#include "glyphs/GlyphGrid.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// The blank glyph with the given digits changed.
QByteArray withDigits(std::initializer_list<std::pair<int, char>> digits) {
    QByteArray glyph(576, '0');
    for (const auto& [index, digit] : digits)
        glyph[index] = digit;
    return glyph;
}

// The glyph file of 576 digits and the trailing bytes that New leaves.
QByteArray glyphFile(const QByteArray& digits) {
    QByteArray file;
    for (const char byte : digits + '\0' + "000")
        file += byte + QByteArray("\r\n");
    return file;
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

    // Dot (column, row) is bit 8 >> column % 4 of digit row * 12 + column / 4. The outer ring
    // does not answer the mouse. A press in the editor's own area, on the grid or beside it,
    // marks the glyph as edited; a press on a control does not. The editor keeps the mouse
    // while a button is held.
    void drawingWithTheMouse() {
        AppState& state = bench->state;
        GlyphEditorDialog editor(bench->context);
        auto* grid = editor.findChild<GlyphGrid*>();
        QCOMPARE(grid->geometry(), QRect(0, 0, 480, 384));
        // Through the window, so that the events find their widget as the operator's do.
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        QWindow* window = editor.windowHandle();
        const auto* sample = editor.findChild<QLineEdit*>("sampleEdit");
        QTest::mouseClick(window, Qt::LeftButton, {}, sample->mapTo(&editor, QPoint(5, 5)));
        QCOMPARE(state.glyphs.glyphModified, 0);
        QTest::mouseClick(window, Qt::RightButton, {}, {100, 390});
        QCOMPARE(state.glyphs.glyphModified, 1);
        for (const QPoint ring : {QPoint(9, 100), QPoint(100, 7), QPoint(470, 100),
                                  QPoint(100, 376), QPoint(479, 383), QPoint(-5, 12)})
            QTest::mouseClick(window, Qt::LeftButton, {}, ring);
        QCOMPARE(glyphDigits(state), withDigits({}));
        QTest::mouseClick(window, Qt::LeftButton, {}, {10, 8});
        QTest::mouseClick(window, Qt::LeftButton, {}, {469, 375});
        QCOMPARE(glyphDigits(state), withDigits({{12, '4'}, {563, '2'}}));
        QTest::mouseClick(window, Qt::RightButton, {}, {469, 375});

        // A drag paints every dot it passes, also after leaving the grid and coming back.
        QTest::mousePress(window, Qt::LeftButton, {}, {19, 15});
        for (const QPoint point : {QPoint(25, 12), QPoint(35, 12), QPoint(600, 12), QPoint(45, 12),
                                   QPoint(45, 3), QPoint(5, 12)})
            QTest::mouseMove(window, point);
        QTest::mouseRelease(window, Qt::LeftButton, {}, {5, 12});
        QCOMPARE(glyphDigits(state), withDigits({{12, '7'}, {13, '8'}}));
        // Both buttons held: the dots under the mouse end up cleared.
        QTest::mousePress(window, Qt::LeftButton, {}, {35, 12});
        QTest::mousePress(window, Qt::RightButton, {}, {35, 12});
        QTest::mouseMove(window, {45, 12});
        QTest::mouseRelease(window, Qt::RightButton, {}, {45, 12});
        QTest::mouseRelease(window, Qt::LeftButton, {}, {45, 12});
        QCOMPARE(glyphDigits(state), withDigits({{12, '6'}}));

        // Set dots white, clear ones blue outlined in black.
        const QImage image = grid->grab().toImage();
        QList<QRgb> colours;
        for (const QPoint point : {QPoint(10, 8), QPoint(30, 8), QPoint(35, 12)})
            colours << image.pixelColor(point).rgb();
        QCOMPARE(colours, QList<QRgb>({qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(0, 0, 255)}));
    }

    void newAndGlyphFiles() {
        AppState& state = bench->state;
        GlyphState& glyphs = state.glyphs;
        RecordingPrompts& prompts = bench->prompts;
        GlyphEditorDialog editor(bench->context);
        press(editor, "newButton");
        press(editor, "saveButton");
        QCOMPARE(lastBox(), "Don't file open, exclamation");
        prompts.chooseNext(path("glyph"));
        press(editor, "saveAsButton");
        QCOMPARE(fileBytes(path("glyph.txt")), glyphFile(withDigits({})));
        QCOMPARE(prompts.fileDialogs.last().filters.join(','), "データ(*.txt),すべて(*.*)");
        QCOMPARE(glyphs.glyphFilePath, path("glyph.txt"));
        QTest::mouseClick(&editor, Qt::LeftButton, {}, {10, 8});
        press(editor, "saveButton");
        QCOMPARE(fileBytes(path("glyph.txt")), glyphFile(withDigits({{12, '4'}})));
        QCOMPARE(glyphs.glyphModified, 0);

        // New asks once the glyph was edited, in a box owned by the editor.
        QTest::mouseClick(&editor, Qt::LeftButton, {}, {300, 395});
        prompts.answerNext(false);
        press(editor, "newButton");
        QCOMPARE(glyphDigits(state), withDigits({{12, '4'}}));
        prompts.answerNext(true);
        press(editor, "newButton");
        QCOMPARE(glyphDigits(state), withDigits({}));
        QCOMPARE(prompts.questions.last().owner, &editor);
        QCOMPARE(prompts.questions.last().text, "データを保存せずに新規作成しますか？");
        QVERIFY(glyphs.glyphFilePath.isEmpty());

        // Open asks about an edited glyph, then reads the file back byte for byte; New then
        // asks nothing.
        QTest::mouseClick(&editor, Qt::RightButton, {}, {10, 8});
        prompts.answerNext(true);
        prompts.chooseNext(path("glyph.txt"));
        press(editor, "openButton");
        QCOMPARE(prompts.questions.last().text, "データを保存せずに別のファイルを開きますか？");
        QCOMPARE(QByteArray(state.glyphSample.data(), 580), withDigits({{12, '4'}}) + '\0' + "000");
        press(editor, "newButton");
        QCOMPARE(prompts.questions.size(), 3);

        // Files that cannot be read change nothing; a failed save keeps the old file whole.
        QFile(path("not a glyph")).open(QIODevice::WriteOnly);
        for (const char* name : {"missing.txt", "not a glyph"}) {
            prompts.chooseNext(path(name));
            press(editor, "openButton");
            QCOMPARE(lastBox(), "Can't file open, exclamation");
        }
        QVERIFY(glyphs.glyphFilePath.isEmpty());
        QCOMPARE(state.glyphSample[12], '0');
        QTest::mouseClick(&editor, Qt::LeftButton, {}, {10, 8});
        glyphs.glyphFilePath = path("missing/glyph.txt");
        press(editor, "saveButton");
        prompts.chooseNext(path("missing/glyph"));
        press(editor, "saveAsButton");
        QCOMPARE(prompts.boxes.size(), 5);
        QCOMPARE(lastBox(), "Can't file open, stop");
        QCOMPARE(glyphs.glyphModified, 1);
        QCOMPARE(glyphs.glyphFilePath, path("missing/glyph.txt"));

        // ".txt" is looked for case-sensitively.
        prompts.chooseNext(path("a.TXT"));
        press(editor, "saveAsButton");
        QCOMPARE(glyphs.glyphFilePath, path("a.TXT.txt"));
        QCOMPARE(prompts.fileDialogs.last().directory, path("missing")); // the current file's

        // While a read awaits its answer the file buttons and New do nothing; Open also waits
        // for a running transfer.
        const auto shown = [&prompts] {
            return prompts.questions.size() + prompts.fileDialogs.size() + prompts.boxes.size();
        };
        const qsizetype before = shown();
        bench->sender.setSequenceStep(3);
        press(editor, "openButton");
        bench->sender.setSequenceStep(0);
        bench->sender.setGlyphReadPending(true);
        for (const char* button : {"newButton", "openButton", "saveButton", "saveAsButton"})
            press(editor, button);
        QCOMPARE(shown(), before);
        QCOMPARE(prompts.unexpected, 0);

        // The editor opens with a blank glyph, and without the file whose glyph it no longer
        // shows.
        QTest::mouseClick(&editor, Qt::LeftButton, {}, {300, 395});
        editor.reject();
        GlyphEditorDialog reopened(bench->context);
        QCOMPARE(QByteArray(state.glyphSample.data(), 580), QByteArray(580, '0'));
        QVERIFY(glyphs.glyphFilePath.isEmpty());
        QCOMPARE(glyphs.glyphModified, 1);
    }

    void sampleRead() {
        AppState& state = bench->state;
        auto editor = std::make_unique<GlyphEditorDialog>(bench->context);
        for (const char* refused : {"", "29"}) {
            typeSample(*editor, refused);
            press(*editor, "readButton");
            QCOMPARE(lastBox(), "外字登録番号, stop");
        }
        typeSample(*editor, "あい"); // two bytes at most
        QCOMPARE(state.glyphs.glyphSampleText, "\x82\xA0");
        typeSample(*editor, "091");
        QCOMPARE(state.glyphs.glyphSampleText, "09");
        press(*editor, "readButton");
        press(*editor, "readButton");
        QCOMPARE(bench->serial.writes, QList<QByteArray>{"RFBMBA6D\r\n"});

        // The answer repaints the grid; a refusal while a read is pending names the automatic
        // switching.
        auto* grid = editor->findChild<GlyphGrid*>();
        PaintCounter counter;
        grid->installEventFilter(&counter);
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor.get()));
        QTRY_VERIFY(counter.paints > 0);
        counter.paints = 0;
        const QByteArray digits = QByteArray("F").repeated(576);
        bench->sender.replies().handleReply("FBMBA6D" + digits + "\r\n", ReplyLink::Serial);
        QCOMPARE(glyphDigits(state), digits);
        QTRY_VERIFY(counter.paints > 0);
        QCOMPARE(grid->grab().toImage().pixelColor(0, 0).rgb(), qRgb(255, 255, 255));
        press(*editor, "readButton");
        bench->sender.replies().handleReply("GN\r\n", ReplyLink::Serial);
        QCOMPARE(lastBox(), "自動切換え中！, exclamation");
        QCOMPARE(state.glyphs.glyphModified, 0);

        // Close ends the wait; the editor opens again showing the sample text it reads.
        press(*editor, "readButton");
        press(*editor, "closeButton");
        QCOMPARE(editor->result(), 2);
        QCOMPARE(bench->sender.exchange().glyphReadPending, 0);
        state.link.selectedConnection = -1;
        editor = std::make_unique<GlyphEditorDialog>(bench->context);
        QCOMPARE(editor->windowTitle(), "外字登録");
        QCOMPARE(editor->findChild<QLineEdit*>("sampleEdit")->text(), "09");
        press(*editor, "readButton");
        QCOMPARE(bench->serial.writes.size(), 4);

        // Over a TCP link that is not connected nothing goes out.
        bench->sender.setGlyphReadPending(false);
        state.link.interfaceKind = InterfaceKind::Tcp;
        press(*editor, "readButton");
        QCOMPARE(lastBox(), "Socket が接続されていません, stop");
        QVERIFY(bench->tcp.sends.isEmpty());
        QCOMPARE(bench->prompts.boxes.size(), 4);
    }
};

QTEST_MAIN(GlyphEditorTest)
#include "tst_glypheditor.moc"
