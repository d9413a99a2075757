#include "document/DocumentFiles.h"
#include "document/DocumentWindow.h"
#include "support/Files.h"
#include "support/SenderBench.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace {

// The file of a document saved right after start-up.
const QByteArray startupFile = QByteArray("1\r\n").repeated(256) +
                               QByteArray("2\r\n").repeated(256) +
                               QByteArray("0\r\n").repeated(12) +
                               QByteArray("s\r\n").repeated(256) + QByteArray("7\r\n").repeated(4);
const QByteArray olderWork(20000, 'x');

} // namespace

// The test plays the main window too.
class DocumentFilesTest : public QObject, public DocumentWindow, SenderBench {
    Q_OBJECT

public:
    QObject* fileDialogOwner() override { return this; }
    void refreshFileNameLabel() override { ++refreshes; }

private:
    using SenderBench::sender; // not QObject::sender()
    std::unique_ptr<QTemporaryDir> dir;
    DocumentFiles files{document, state, sender, boxes, *this};
    int refreshes = 0;

    QString path(const QString& name) const { return dir->filePath(name); }
    void titleOldDat() { document.documentPath.assign(path("old.dat").toUtf8()); }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(dir->path()).mkdir("dir.dat"));
        writeFile(path("old.dat"), startupFile);
        document = SettingsDocument();
        state = AppState();
        prompts.clear();
        refreshes = 0;
    }

    // ".dat" is added unless the name ends in it; a folder named so is no file.
    void saveAs() {
        const QList<std::pair<QString, QString>> names{
            {"name", "name.dat"}, {"name.DAT", "name.DAT.dat"}, {"dir.dat/name", "dir.dat/name"}};
        for (const auto& [chosen, stored] : names) {
            document.documentModified = 1;
            prompts.chooseNext(path(chosen));
            QVERIFY(files.saveDocumentAs());
            QCOMPARE(fileBytes(path(stored)), startupFile);
            QCOMPARE(QString::fromUtf8(document.documentPath.view()), path(stored));
            QCOMPARE(document.documentModified + prompts.questions.size(), 0);
        }
        QCOMPARE(refreshes, 3);
        QCOMPARE(prompts.fileDialogs[0].owner, this);
    }

    // New and Open are refused during a transfer and ask before they drop changes; a file that
    // cannot be read leaves the document as it was.
    void newAndOpenAskFirst() {
        const auto open = [this](const QString& chosen) {
            prompts.answerNext(true);
            prompts.chooseNext(chosen);
            files.openDocument();
        };
        titleOldDat();
        writeFile(path("new.dat"), startupFile);
        writeFile(path("bad.dat"), "1\r\n1\r\n2147483648\r\n");
        document.titleTexts[3].assign("x");
        state.changedTitles.set(3);
        document.whiteLevel = 4;
        document.documentModified = 1;
        sender.setGlyphReadPending(true); // a glyph read awaits its answer
        sender.setRunGoing(true);
        state.selectedArea = 2;
        files.newDocument();
        files.openDocument();
        sender.setRunGoing(false);
        prompts.answerNext(false);
        files.newDocument();
        prompts.answerNext(false);
        files.openDocument();
        // A device never ends: reading it would hold the program.
        for (const QString& chosen :
             {QString(), path("bad.dat"), QStringLiteral("/dev/zero"), path(QString(8200, 'p'))})
            open(chosen);
        QCOMPARE(prompts.questions.size(), 6);
        QCOMPARE(prompts.fileDialogs.size(), 4);
        QCOMPARE(prompts.texts(), QStringList(3, "Can't file open"));
        QCOMPARE(
            prompts.boxes[0].detail, // the file, and on the next line why
            QDir::toNativeSeparators(path("bad.dat")) +
                "\n3 行目: タイトル表示のオン/オフには整数が必要ですが、「2147483648」と書かれてい"
                "ます。");
        QCOMPARE(document.titleTexts[3].view(), QByteArrayView("x"));
        QVERIFY(state.changedTitles.test(3));
        QCOMPARE(QString::fromUtf8(document.documentPath.view()), path("old.dat"));
        QCOMPARE(document.documentModified + refreshes + prompts.unexpected, 1);

        // Open reads the file's fields only, and removes what a killed save of it left.
        writeFile(path("new.dat.zev530tq-new"), "half of a killed save");
        open(path("new.dat"));
        QVERIFY(!QFileInfo::exists(path("new.dat.zev530tq-new")));
        QCOMPARE(prompts.fileDialogs.last().directory, dir->path()); // the open document's folder
        QVERIFY(document.titleTexts[3].isEmpty());
        QCOMPARE(QString::fromUtf8(document.documentPath.view()), path("new.dat"));
        QCOMPARE(document.documentModified + document.whiteLevel, 0);
        QCOMPARE(sender.exchange().glyphReadPending, 1);
        QVERIFY(state.changedTitles.none()); // the device may hold any of the file's titles
        // New starts the exchange afresh but keeps the chosen area.
        state.changedTitles.set(255);
        files.newDocument();
        QVERIFY(state.changedTitles.none());
        QVERIFY(document.documentPath.isEmpty());
        QCOMPARE(sender.exchange().glyphReadPending * 10 + state.selectedArea, 2);
        QCOMPARE(refreshes, 2);
    }

    // A failed save leaves the document modified, its name as it was and every file whole.
    void saveFailures() {
        document.documentModified = 1;
        QVERIFY(!files.saveDocument());
        document.documentPath.assign(path("old.dat/a.dat").toUtf8()); // its folder is a file
        QVERIFY(!files.saveDocument());
        prompts.chooseNext(path("dir.dat"));
        QVERIFY(!files.saveDocumentAs());
        QCOMPARE(document.documentPath.view(), path("old.dat/a.dat").toUtf8());
        titleOldDat();
        document.titleTexts[127].assign("A B");
        QVERIFY(!files.saveDocument());
        document.titleTexts[127].assign("s");
        QVERIFY(!files.saveDocumentAs());
        QCOMPARE(prompts.texts(),
                 QStringList({"Don't file open", "Can't file open", "Can't file open",
                              "ch.1 Bottom ページ64 のタイトルに半角スペースか制御文字があるため"
                              "保存できません。",
                              "ch.1 Bottom ページ64 のタイトル「s」はファイルに保存できません。"}));
        // The failed saves name the file and what the system said.
        QCOMPARE(prompts.boxes[1].detail.section('\n', 0, 0), path("old.dat/a.dat"));
        QCOMPARE(prompts.boxes[2].detail.section('\n', 0, 0), path("dir.dat"));
        QVERIFY(!prompts.boxes[1].detail.section('\n', 1).isEmpty());
        QCOMPARE(prompts.fileDialogs.size(), 1);
        QCOMPARE(document.documentModified, 1);
        QCOMPARE(fileBytes(path("old.dat")), startupFile);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList("old.dat"));
    }

    // Ending asks about a modified document only; No saves it first, under a name asked for when
    // it has none, and a save that does not happen keeps the program running.
    void confirmExit() {
        QVERIFY(files.confirmExit());
        document.documentModified = 1;
        prompts.answerNext(true);
        QVERIFY(files.confirmExit());
        QCOMPARE(document.documentModified, 1);
        // The dialog asked about "b" only: "b.dat" is replaced after a question.
        writeFile(path("b.dat"), olderWork);
        for (bool replace : {false, true}) {
            prompts.answerNext(false);
            prompts.chooseNext(path("b"));
            prompts.answerNext(replace);
            QCOMPARE(files.confirmExit(), replace);
            QCOMPARE(fileBytes(path("b.dat")), replace ? startupFile : olderWork);
        }
        writeFile(path("b.dat"), olderWork);
        document.documentModified = 1;
        prompts.answerNext(false);
        QVERIFY(files.confirmExit()); // saved to the path Save As gave
        QCOMPARE(fileBytes(path("b.dat")), startupFile);
        QCOMPARE(document.documentModified, 0);
        QCOMPARE(prompts.questions.size(), 6);
        QCOMPARE(prompts.fileDialogs.size(), 2);
    }
};

QTEST_GUILESS_MAIN(DocumentFilesTest)
#include "tst_documentfiles.moc"
