#include "app/AppState.h"
#include "document/DocumentFiles.h"
#include "document/DocumentWindow.h"
#include "document/SettingsDocument.h"
#include "protocol/MessageBoxes.h"
#include "support/RecordingPrompts.h"

#include <QDir>
#include <QFile>
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

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

// The test plays the main window too.
class DocumentFilesTest : public QObject, public DocumentWindow {
    Q_OBJECT

public:
    QObject* fileDialogOwner() override { return this; }
    void refreshFileNameLabel() override { ++refreshes; }

private:
    std::unique_ptr<QTemporaryDir> dir;
    SettingsDocument document;
    AppState state;
    RecordingPrompts prompts;
    MessageBoxes boxes{prompts, state};
    DocumentFiles files{document, state, boxes, *this};
    int refreshes = 0;

    QString path(const QString& name) const { return dir->filePath(name); }

    // The start-up document, saved under name.
    void makeTitled(const QString& name) {
        writeBytes(path(name), startupFile);
        document.documentPath.assign(path(name).toUtf8());
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        document = SettingsDocument();
        state = AppState();
        prompts.clear();
        refreshes = 0;
    }

    // The start-up document saved under the names the operator may choose.
    void saveAs_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("existing"); // the stored name holds older work already
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<QString>("stored");
        QTest::newRow("name") << "name" << false << false << "name.dat";
        QTest::newRow("name.dat") << "name.dat" << false << false << "name.dat";
        QTest::newRow("name.DAT") << "name.DAT" << false << false << "name.DAT.dat";
        QTest::newRow(".dat in a folder") << "dir.dat/name" << false << false << "dir.dat/name";
        // The dialog asked about "name" only: "name.dat" is replaced after a question.
        QTest::newRow("name.dat there, Yes") << "name" << true << true << "name.dat";
        QTest::newRow("name.dat there, No") << "name" << true << false << "name.dat";
    }

    void saveAs() {
        QFETCH(QString, chosen);
        QFETCH(bool, existing);
        QFETCH(bool, answerYes);
        QFETCH(QString, stored);
        QVERIFY(QDir(dir->path()).mkdir("dir.dat"));
        if (existing)
            writeBytes(path(stored), olderWork);
        document.documentModified = 1;
        prompts.chooseNext(path(chosen));
        prompts.answerNext(answerYes);
        const bool saved = !existing || answerYes;
        QCOMPARE(files.saveDocumentAs(), saved);
        QCOMPARE(fileBytes(path(stored)), saved ? startupFile : olderWork);
        QCOMPARE(QString::fromUtf8(document.documentPath.view()), saved ? path(stored) : QString());
        QCOMPARE(document.documentModified, int(!saved));
        QCOMPARE(refreshes, int(saved));
        QCOMPARE(prompts.questions.size(), int(existing));
        if (existing)
            QVERIFY(prompts.questions[0].text.contains("name.dat"));
        QVERIFY(prompts.boxes.isEmpty());
        QCOMPARE(prompts.fileDialogs.size(), 1);
        const FileDialogRequest& dialog = prompts.fileDialogs[0];
        QCOMPARE(dialog.owner, this);
        QCOMPARE(dialog.mode, FileDialogMode::Save);
        QCOMPARE(dialog.title, QStringLiteral("ファイルの保存"));
        QCOMPARE(dialog.filters, QStringList({"データ(*.dat)", "すべて(*.*)"}));
    }

    // New and Open are refused during a transfer and ask before they drop changes; a file that
    // cannot be read leaves the document as it was.
    void newAndOpen_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("sequenceStep");
        QTest::addColumn<int>("modified");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<QString>("chosen"); // in Open's dialog; "" cancels it
        QTest::addColumn<bool>("replaced");
        QTest::newRow("New, clean") << false << 0 << 0 << false << "" << true;
        QTest::newRow("New, modified, Yes") << false << 0 << 1 << true << "" << true;
        QTest::newRow("New, modified, No") << false << 0 << 1 << false << "" << false;
        QTest::newRow("New, transfer running") << false << 5 << 1 << true << "" << false;
        QTest::newRow("Open, modified, Yes") << true << 0 << 1 << true << "new.dat" << true;
        QTest::newRow("Open, modified, No") << true << 0 << 1 << false << "new.dat" << false;
        QTest::newRow("Open, dialog cancelled") << true << 0 << 1 << true << "" << false;
        QTest::newRow("Open, transfer running") << true << 3 << 1 << true << "new.dat" << false;
        QTest::newRow("Open, malformed file") << true << 0 << 0 << true << "bad.dat" << false;
        QTest::newRow("Open, vanished file") << true << 0 << 0 << true << "gone.dat" << false;
        // A device never ends: reading it would hold the program.
        QTest::newRow("Open, a device") << true << 0 << 0 << true << "/dev/zero" << false;
        QTest::newRow("Open, path too long")
            << true << 0 << 0 << true << QString(8200, 'p') << false;
    }

    void newAndOpen() {
        QFETCH(bool, open);
        QFETCH(int, sequenceStep);
        QFETCH(int, modified);
        QFETCH(bool, answerYes);
        QFETCH(QString, chosen);
        QFETCH(bool, replaced);
        makeTitled("old.dat");
        writeBytes(path("new.dat"), startupFile);
        writeBytes(path("bad.dat"), "1\r\n1\r\nON\r\n");
        document.titleTexts[3].assign("x");
        document.documentModified = modified;
        state.sequenceStep = sequenceStep;
        prompts.answerNext(answerYes);
        prompts.chooseNext(chosen.isEmpty()               ? QString()
                           : QDir::isAbsolutePath(chosen) ? chosen
                                                          : path(chosen));
        open ? files.openDocument() : files.newDocument();

        const bool asked = modified && sequenceStep == 0;
        QCOMPARE(prompts.questions.size(), int(asked));
        if (asked)
            QCOMPARE(prompts.questions[0].text,
                     open ? QStringLiteral("データを保存せずに別のファイルを開きますか？")
                          : QStringLiteral("データを保存せずに新規作成しますか？"));
        QCOMPARE(prompts.fileDialogs.size(), int(open && sequenceStep == 0 && answerYes));
        const bool fails = open && !replaced && !chosen.isEmpty() && !prompts.fileDialogs.isEmpty();
        QCOMPARE(prompts.texts(), fails ? QStringList("Can't file open") : QStringList());
        QCOMPARE(document.titleTexts[3].isEmpty(), replaced);
        QCOMPARE(QString::fromUtf8(document.documentPath.view()), !replaced ? path("old.dat")
                                                                  : open    ? path("new.dat")
                                                                            : QString());
        QCOMPARE(document.documentModified, replaced ? 0 : modified);
        QCOMPARE(refreshes, int(replaced));
    }

    // New starts the exchange afresh but keeps the levels last reported and the chosen area;
    // Open reads the file's fields only.
    void newResetsAndOpenKeepsRunTimeState() {
        const auto changeEverything = [this] {
            document.titleDisplayOn[3][63] = 0;
            document.autoSwitchTimes[1][2] = 9;
            document.startupPage = document.displayPage = document.displayPosition = {1, 2, 3, 64};
            document.selectedWhiteLevel = document.selectedEdgeLevel = 3;
            document.whiteLevel = document.edgeLevel = document.reserved1 = document.reserved2 = 4;
            state.replyPending = state.exchangeFailed = state.savedImeOpen = 1;
            state.replyWaitTicks = state.selectedPage = state.selectedArea = 2;
            state.slaveAddress = AppState::broadcastAddress;
            state.tcpReplyBuffer.assign("GO");
            state.glyphSample.fill('F');
        };
        changeEverything();
        files.newDocument();
        prompts.chooseNext(path("new"));
        QVERIFY(files.saveDocumentAs());
        QByteArray levelsKept = startupFile; // but for the two levels and two reserved numbers
        levelsKept.replace(3 * 520, 12, QByteArray("4\r\n").repeated(4));
        QCOMPARE(fileBytes(path("new.dat")), levelsKept);
        QCOMPARE(document.selectedWhiteLevel + document.selectedEdgeLevel, 2);
        QCOMPARE(state.replyPending + state.exchangeFailed + state.savedImeOpen, 0);
        QCOMPARE(state.replyWaitTicks + state.slaveAddress + state.selectedPage, 0);
        QCOMPARE(state.selectedArea, 2);
        QVERIFY(state.tcpReplyBuffer.isEmpty());
        QVERIFY(state.glyphSample == AppState::filledGlyphSample());

        // Line 525, the first title: 漢.
        writeBytes(path("a.dat"), QByteArray(startupFile).replace(3 * 524, 1, "\x8a\xbf"));
        changeEverything();
        prompts.chooseNext(path("a.dat"));
        files.openDocument();
        const FileDialogRequest& dialog = prompts.fileDialogs.last();
        QCOMPARE(dialog.mode, FileDialogMode::Open);
        QCOMPARE(dialog.title, QStringLiteral("ファイルのオープン"));
        QCOMPARE(dialog.owner, this);
        QCOMPARE(document.titleDisplayOn[3][63], 1);
        QCOMPARE(document.titleTexts[0].view(), QByteArrayView("\x8a\xbf"));
        QCOMPARE(document.selectedWhiteLevel, 3);
        QCOMPARE(state.slaveAddress, AppState::broadcastAddress);
        QCOMPARE(state.glyphSample[0], 'F');
        QVERIFY(prompts.boxes.isEmpty());
    }

    // Running as root, permission bits stop no write; the other rows fail for everyone.
    void saveFailures_data() {
        QTest::addColumn<bool>("saveAs");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        const QString cannotOpen = QStringLiteral("Can't file open");
        QTest::newRow("Save, no file yet") << false << QString() << "Don't file open";
        QTest::newRow("Save, folder is a file") << false << "plain/a.dat" << cannotOpen;
        QTest::newRow("Save As, folder in place of the file") << true << "folder.dat" << cannotOpen;
        QTest::newRow("Save, read-only file") << false << "locked.dat" << cannotOpen;
        QTest::newRow("Save As, path too long") << true << QString(8188, 'p') << cannotOpen;
    }

    void saveFailures() {
        QFETCH(bool, saveAs);
        QFETCH(QString, target);
        QFETCH(QString, message);
        makeTitled("old.dat");
        writeBytes(path("plain"), "plain");
        QVERIFY(QDir(dir->path()).mkdir("folder.dat"));
        writeBytes(path("locked.dat"), "locked");
        QFile(path("locked.dat")).setPermissions(QFile::ReadOwner);
        if (target == "locked.dat" && QFileInfo(path(target)).isWritable())
            QSKIP("permission bits do not stop this user from writing");
        document.documentModified = 1;
        if (saveAs)
            prompts.chooseNext(path(target));
        else
            document.documentPath.assign(target.isEmpty() ? QByteArray() : path(target).toUtf8());
        const QByteArray pathBefore = document.documentPath.toByteArray();
        QVERIFY(!(saveAs ? files.saveDocumentAs() : files.saveDocument()));
        QCOMPARE(prompts.texts(), QStringList(message));
        QCOMPARE(prompts.fileDialogs.size(), int(saveAs));
        QCOMPARE(document.documentPath.view(), QByteArrayView(pathBefore));
        QCOMPARE(document.documentModified, 1);
        QCOMPARE(refreshes, 0);
        QCOMPARE(fileBytes(path("locked.dat")), QByteArray("locked"));
        QCOMPARE(fileBytes(path("plain")), QByteArray("plain"));
        QCOMPARE(fileBytes(path("old.dat")), startupFile);
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files),
                 QStringList({"locked.dat", "old.dat", "plain"}));
    }

    void titleTheFileCannotCarry() {
        makeTitled("a.dat");
        writeBytes(path("a.dat"), "old");
        document.titleTexts[255].assign("A B");
        document.documentModified = 1;
        QVERIFY(!files.saveDocument());
        QVERIFY(!files.saveDocumentAs());
        document.titleTexts[255].clear();
        document.titleTexts[64].assign("s");
        QVERIFY(!files.saveDocument());
        QCOMPARE(prompts.texts(),
                 QStringList({"ch.2 Bottom ページ64 のタイトルに半角スペースか制御文字があるため"
                              "保存できません。",
                              "ch.2 Bottom ページ64 のタイトルに半角スペースか制御文字があるため"
                              "保存できません。",
                              "ch.1 Bottom ページ1 のタイトル「s」はファイルに保存できません。"}));
        QVERIFY(prompts.fileDialogs.isEmpty());
        QCOMPARE(fileBytes(path("a.dat")), QByteArray("old"));
        QCOMPARE(document.documentModified, 1);
    }

    void confirmExit_data() {
        QTest::addColumn<int>("modified");
        QTest::addColumn<bool>("titled");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<QString>("chosen"); // for Save As; "" cancels
        QTest::addColumn<bool>("mayEnd");
        QTest::addColumn<QString>("written");
        QTest::newRow("clean") << 0 << false << false << "" << true << "";
        QTest::newRow("Yes ends without saving") << 1 << true << true << "" << true << "";
        QTest::newRow("No saves to the path") << 1 << true << false << "" << true << "old.dat";
        QTest::newRow("No, untitled, Save As") << 1 << false << false << "b" << true << "b.dat";
        QTest::newRow("No, Save As cancelled") << 1 << false << false << "" << false << "";
        QTest::newRow("No, save fails") << 1 << false << false << "plain/b" << false << "";
    }

    void confirmExit() {
        QFETCH(int, modified);
        QFETCH(bool, titled);
        QFETCH(bool, answerYes);
        QFETCH(QString, chosen);
        QFETCH(bool, mayEnd);
        QFETCH(QString, written);
        if (titled)
            makeTitled("old.dat");
        writeBytes(path("old.dat"), olderWork);
        writeBytes(path("plain"), "plain");
        document.documentModified = modified;
        prompts.answerNext(answerYes);
        prompts.chooseNext(chosen.isEmpty() ? QString() : path(chosen));
        QCOMPARE(files.confirmExit(), mayEnd);
        QCOMPARE(prompts.questions.size(), modified);
        if (modified)
            QCOMPARE(prompts.questions[0].text, QStringLiteral("データを保存せずに終了しますか？"));
        QCOMPARE(prompts.fileDialogs.size(), modified && !titled && !answerYes ? 1 : 0);
        QCOMPARE(document.documentModified, written.isEmpty() ? modified : 0);
        if (!written.isEmpty())
            QCOMPARE(fileBytes(path(written)), startupFile);
        else
            QCOMPARE(fileBytes(path("old.dat")), olderWork);
    }

    void openAndSaveBenchmark() {
        makeTitled("bench.dat");
        QBENCHMARK {
            prompts.chooseNext(path("bench.dat"));
            files.openDocument();
            files.saveDocument();
        }
        QVERIFY(prompts.boxes.isEmpty());
    }
};

QTEST_GUILESS_MAIN(DocumentFilesTest)
#include "tst_documentfiles.moc"
