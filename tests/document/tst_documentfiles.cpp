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

class FakeWindow : public DocumentWindow {
public:
    QObject* fileDialogOwner() override { return &owner; }
    void refreshFileNameLabel() override { ++refreshes; }

    QObject owner;
    int refreshes = 0;
};

// The file of a document saved right after start-up.
QByteArray startupFile() {
    QByteArray bytes;
    const auto lines = [&bytes](int count, const char* text) {
        for (int i = 0; i < count; ++i)
            bytes += QByteArray(text) + "\r\n";
    };
    lines(256, "1");
    lines(256, "2");
    lines(12, "0");
    lines(256, "s");
    lines(4, "7");
    return bytes;
}

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

class DocumentFilesTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void savedAfterStartUpIsTheStartUpFile();
    void saveAsExtensionRule_data();
    void saveAsExtensionRule();
    void saveAsAsksBeforeReplacingTheNameWithExtension();
    void newDocument_data();
    void newDocument();
    void newResetsRunTimeStateOnly();
    void openReadsFileAndKeepsRunTimeState();
    void openRefusals_data();
    void openRefusals();
    void openFailures_data();
    void openFailures();
    void saveWithoutPath();
    void saveReplacesOldFile();
    void saveFailures_data();
    void saveFailures();
    void titleTheFileCannotCarry();
    void confirmExit_data();
    void confirmExit();
    void openAndSaveBenchmark();

private:
    QString path(const QString& name) const { return dir->filePath(name); }
    void makeTitled(const QString& name);

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<SettingsDocument> document;
    std::unique_ptr<AppState> state;
    std::unique_ptr<RecordingPrompts> prompts;
    std::unique_ptr<MessageBoxes> boxes;
    std::unique_ptr<FakeWindow> window;
    std::unique_ptr<DocumentFiles> files;
};

void DocumentFilesTest::init() {
    dir = std::make_unique<QTemporaryDir>();
    QVERIFY(dir->isValid());
    document = std::make_unique<SettingsDocument>();
    state = std::make_unique<AppState>();
    prompts = std::make_unique<RecordingPrompts>();
    boxes = std::make_unique<MessageBoxes>(*prompts, *state);
    window = std::make_unique<FakeWindow>();
    files = std::make_unique<DocumentFiles>(*document, *state, *boxes, *window);
}

// A document saved and open under name, clean, with nothing recorded yet.
void DocumentFilesTest::makeTitled(const QString& name) {
    writeBytes(path(name), startupFile());
    prompts->chooseNext(path(name));
    files->openDocument();
    QCOMPARE(document->documentPath.view(), QByteArrayView(path(name).toUtf8()));
    prompts->clear();
    window->refreshes = 0;
}

void DocumentFilesTest::savedAfterStartUpIsTheStartUpFile() {
    document->documentModified = 1;
    prompts->chooseNext(path("start"));
    QVERIFY(files->saveDocumentAs());
    QCOMPARE(fileBytes(path("start.dat")), startupFile());
    QCOMPARE(document->documentPath.view(), QByteArrayView(path("start.dat").toUtf8()));
    QCOMPARE(document->documentModified, 0);
    QCOMPARE(window->refreshes, 1);
    QVERIFY(prompts->boxes.isEmpty());
    QCOMPARE(prompts->fileDialogs.size(), 1);
    const FileDialogRequest& dialog = prompts->fileDialogs[0];
    QCOMPARE(dialog.owner, &window->owner);
    QCOMPARE(dialog.mode, FileDialogMode::Save);
    QCOMPARE(dialog.title, QStringLiteral("ファイルの保存"));
    QCOMPARE(dialog.filters, QStringList({"データ(*.dat)", "すべて(*.*)"}));
}

void DocumentFilesTest::saveAsExtensionRule_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("stored");
    QTest::newRow("no extension") << "name"
                                  << "name.dat";
    QTest::newRow("ends in .dat") << "name.dat"
                                  << "name.dat";
    QTest::newRow("upper case") << "name.DAT"
                                << "name.DAT.dat";
    QTest::newRow(".dat in a folder") << "dir.dat/name"
                                      << "dir.dat/name";
}

void DocumentFilesTest::saveAsExtensionRule() {
    QFETCH(QString, chosen);
    QFETCH(QString, stored);
    QVERIFY(QDir(dir->path()).mkdir("dir.dat"));
    prompts->chooseNext(path(chosen));
    QVERIFY(files->saveDocumentAs());
    QCOMPARE(QString::fromUtf8(document->documentPath.view()), path(stored));
    QCOMPARE(fileBytes(path(stored)), startupFile());
}

// The dialog asked about "name"; "name.dat" already there is only replaced after a question.
void DocumentFilesTest::saveAsAsksBeforeReplacingTheNameWithExtension() {
    writeBytes(path("name.dat"), "older work");
    prompts->chooseNext(path("name"));
    prompts->answerNext(false);
    QVERIFY(!files->saveDocumentAs());
    QCOMPARE(fileBytes(path("name.dat")), QByteArray("older work"));
    QVERIFY(document->documentPath.isEmpty());
    QCOMPARE(prompts->questions.size(), 1);
    QVERIFY(prompts->questions.first().text.contains("name.dat"));

    prompts->chooseNext(path("name"));
    prompts->answerNext(true);
    QVERIFY(files->saveDocumentAs());
    QCOMPARE(fileBytes(path("name.dat")), startupFile());
    QCOMPARE(prompts->unexpected, 0);
}

void DocumentFilesTest::newDocument_data() {
    QTest::addColumn<int>("sequenceStep");
    QTest::addColumn<int>("modified");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("reset");
    QTest::newRow("clean") << 0 << 0 << false << false << true;
    QTest::newRow("modified, Yes") << 0 << 1 << true << true << true;
    QTest::newRow("modified, No") << 0 << 1 << false << true << false;
    QTest::newRow("transfer running") << 5 << 1 << true << false << false;
}

void DocumentFilesTest::newDocument() {
    QFETCH(int, sequenceStep);
    QFETCH(int, modified);
    QFETCH(bool, answerYes);
    QFETCH(bool, asked);
    QFETCH(bool, reset);
    makeTitled("old.dat");
    document->titleTexts[3].assign("x");
    document->documentModified = modified;
    state->sequenceStep = sequenceStep;
    prompts->answerNext(answerYes);
    files->newDocument();

    QCOMPARE(prompts->questions.size(), asked ? 1 : 0);
    if (asked) {
        QCOMPARE(prompts->questions[0].owner, nullptr);
        QCOMPARE(prompts->questions[0].caption, QStringLiteral("ZEV-530TQ"));
        QCOMPARE(prompts->questions[0].text,
                 QStringLiteral("データを保存せずに新規作成しますか？"));
    }
    QCOMPARE(document->titleTexts[3].isEmpty(), reset);
    QCOMPARE(document->documentPath.isEmpty(), reset);
    QCOMPARE(document->documentModified, reset ? 0 : modified);
    QCOMPARE(state->sequenceStep, reset ? 0 : sequenceStep);
    QCOMPARE(window->refreshes, reset ? 1 : 0);
    QVERIFY(prompts->boxes.isEmpty() && prompts->fileDialogs.isEmpty());
}

void DocumentFilesTest::newResetsRunTimeStateOnly() {
    const SettingsDocument fresh;
    document->titleDisplayOn[3][63] = 0;
    document->autoSwitchTimes[1][2] = 9;
    document->startupPage = document->displayPage = document->displayPosition = {1, 2, 3, 64};
    document->selectedWhiteLevel = document->selectedEdgeLevel = 3;
    document->whiteLevel = document->edgeLevel = document->reserved1 = document->reserved2 = 4;
    state->replyPending = state->exchangeFailed = state->savedImeOpen = 1;
    state->replyWaitTicks = state->selectedPage = state->selectedArea = 2;
    state->slaveAddress = AppState::broadcastAddress;
    state->tcpReplyBuffer.assign("GO");
    state->glyphSample.fill('F');
    files->newDocument();

    QVERIFY(document->titleDisplayOn == fresh.titleDisplayOn);
    QVERIFY(document->autoSwitchTimes == fresh.autoSwitchTimes);
    QVERIFY(document->startupPage == fresh.startupPage);
    QVERIFY(document->displayPage == fresh.displayPage);
    QVERIFY(document->displayPosition == fresh.displayPosition);
    QCOMPARE(document->selectedWhiteLevel + document->selectedEdgeLevel, 2);
    QCOMPARE(document->whiteLevel + document->edgeLevel + document->reserved1, 12);
    QCOMPARE(document->reserved2, 4);
    QCOMPARE(state->replyPending + state->exchangeFailed + state->savedImeOpen, 0);
    QCOMPARE(state->replyWaitTicks + state->slaveAddress + state->selectedPage, 0);
    QCOMPARE(state->selectedArea, 2);
    QVERIFY(state->tcpReplyBuffer.isEmpty());
    QVERIFY(state->glyphSample == AppState::filledGlyphSample());
}

void DocumentFilesTest::openReadsFileAndKeepsRunTimeState() {
    QByteArray bytes = startupFile();
    bytes.replace(0, 3, "0\r\n");                         // ch.1 Top page 1 hidden
    bytes.replace(bytes.size() - 3, 3, "12\r\n");         // ch.2 Bottom position
    bytes.replace(bytes.indexOf("s\r\n"), 1, "\x8a\xbf"); // first title 漢
    writeBytes(path("a.dat"), bytes);
    document->documentModified = 1;
    document->selectedWhiteLevel = 3;
    state->slaveAddress = 7;
    state->glyphSample.fill('F');
    prompts->answerNext(true);
    prompts->chooseNext(path("a.dat"));
    files->openDocument();

    QCOMPARE(prompts->questions.size(), 1);
    QCOMPARE(prompts->questions[0].text,
             QStringLiteral("データを保存せずに別のファイルを開きますか？"));
    const FileDialogRequest& dialog = prompts->fileDialogs.value(0);
    QCOMPARE(dialog.mode, FileDialogMode::Open);
    QCOMPARE(dialog.title, QStringLiteral("ファイルのオープン"));
    QCOMPARE(dialog.owner, &window->owner);
    QCOMPARE(document->titleDisplayOn[0][0], 0);
    QCOMPARE(document->displayPosition[3], 12);
    QCOMPARE(document->titleTexts[0].view(), QByteArrayView("\x8a\xbf"));
    QCOMPARE(document->documentPath.view(), QByteArrayView(path("a.dat").toUtf8()));
    QCOMPARE(document->documentModified, 0);
    QCOMPARE(window->refreshes, 1);
    QCOMPARE(document->selectedWhiteLevel, 3);
    QCOMPARE(state->slaveAddress, 7);
    QCOMPARE(state->glyphSample[0], 'F');
    QVERIFY(prompts->boxes.isEmpty());
}

void DocumentFilesTest::openRefusals_data() {
    QTest::addColumn<int>("sequenceStep");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<int>("fileDialogs");
    QTest::newRow("transfer running") << 3 << true << 0;
    QTest::newRow("No") << 0 << false << 0;
    QTest::newRow("dialog cancelled") << 0 << true << 1;
}

void DocumentFilesTest::openRefusals() {
    QFETCH(int, sequenceStep);
    QFETCH(bool, answerYes);
    QFETCH(int, fileDialogs);
    makeTitled("old.dat");
    document->titleTexts[0].assign("x");
    document->documentModified = 1;
    state->sequenceStep = sequenceStep;
    prompts->answerNext(answerYes);
    prompts->chooseNext("");
    files->openDocument();
    QCOMPARE(prompts->fileDialogs.size(), fileDialogs);
    QCOMPARE(document->titleTexts[0].view(), QByteArrayView("x"));
    QCOMPARE(document->documentPath.view(), QByteArrayView(path("old.dat").toUtf8()));
    QCOMPARE(document->documentModified, 1);
    QCOMPARE(window->refreshes, 0);
    QVERIFY(prompts->boxes.isEmpty());
}

void DocumentFilesTest::openFailures_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("vanished file") << "gone.dat" << QByteArray();
    QTest::newRow("malformed") << "bad.dat" << QByteArray("1\r\n1\r\nON\r\n");
    QTest::newRow("path too long") << QString(8200, 'p') << QByteArray();
}

void DocumentFilesTest::openFailures() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    makeTitled("old.dat");
    if (!content.isEmpty())
        writeBytes(path(name), content);
    document->titleDisplayOn[0][2] = 0;
    prompts->chooseNext(path(name));
    files->openDocument();
    QCOMPARE(prompts->texts(), QStringList("Can't file open"));
    QCOMPARE(prompts->boxes[0].caption, QStringLiteral("Error"));
    QCOMPARE(prompts->boxes[0].icon, BoxIcon::Exclamation);
    QCOMPARE(document->titleDisplayOn[0][2], 0);
    QCOMPARE(document->documentPath.view(), QByteArrayView(path("old.dat").toUtf8()));
    QCOMPARE(window->refreshes, 0);
}

void DocumentFilesTest::saveWithoutPath() {
    document->documentModified = 1;
    QVERIFY(!files->saveDocument());
    QCOMPARE(prompts->texts(), QStringList("Don't file open"));
    QVERIFY(prompts->fileDialogs.isEmpty());
    QVERIFY(QDir(dir->path()).isEmpty());
    QCOMPARE(document->documentModified, 1);
}

void DocumentFilesTest::saveReplacesOldFile() {
    makeTitled("a.dat");
    writeBytes(path("a.dat"), QByteArray(20000, 'x'));
    document->documentModified = 1;
    state->sequenceStep = 4; // Save is not refused during a transfer
    QVERIFY(files->saveDocument());
    QCOMPARE(fileBytes(path("a.dat")), startupFile());
    QCOMPARE(document->documentModified, 0);
    QCOMPARE(window->refreshes, 0);
    QVERIFY(prompts->boxes.isEmpty() && prompts->fileDialogs.isEmpty());
    QCOMPARE(QDir(dir->path()).entryList(QDir::Files), QStringList("a.dat"));
}

// Running as root, permission bits stop no write; the other rows fail for everyone.
void DocumentFilesTest::saveFailures_data() {
    QTest::addColumn<bool>("saveAs");
    QTest::addColumn<QString>("target");
    for (bool saveAs : {false, true}) {
        const char* command = saveAs ? "Save As, " : "Save, ";
        QTest::addRow("%sfolder is a file", command) << saveAs << "plain/a.dat";
        QTest::addRow("%sfolder in place of the file", command) << saveAs << "folder.dat";
        QTest::addRow("%sread-only file", command) << saveAs << "locked.dat";
    }
    QTest::newRow("Save As, path too long") << true << QString(8188, 'p');
}

void DocumentFilesTest::saveFailures() {
    QFETCH(bool, saveAs);
    QFETCH(QString, target);
    makeTitled("old.dat");
    writeBytes(path("plain"), "plain");
    QVERIFY(QDir(dir->path()).mkdir("folder.dat"));
    writeBytes(path("locked.dat"), "locked");
    QFile(path("locked.dat")).setPermissions(QFile::ReadOwner);
    if (target == "locked.dat" && QFileInfo(path(target)).isWritable())
        QSKIP("permission bits do not stop this user from writing");
    document->documentModified = 1;
    if (saveAs) {
        prompts->chooseNext(path(target));
    } else {
        document->documentPath.assign(path(target).toUtf8());
    }
    const QByteArray pathBefore = document->documentPath.toByteArray();
    QVERIFY(!(saveAs ? files->saveDocumentAs() : files->saveDocument()));
    QCOMPARE(prompts->texts(), QStringList("Can't file open"));
    QCOMPARE(document->documentPath.view(), QByteArrayView(pathBefore));
    QCOMPARE(document->documentModified, 1);
    QCOMPARE(window->refreshes, 0);
    QCOMPARE(fileBytes(path("locked.dat")), QByteArray("locked"));
    QCOMPARE(fileBytes(path("plain")), QByteArray("plain"));
    QCOMPARE(fileBytes(path("old.dat")), startupFile());
}

void DocumentFilesTest::titleTheFileCannotCarry() {
    makeTitled("a.dat");
    writeBytes(path("a.dat"), "old");
    document->titleTexts[255].assign("A B");
    document->documentModified = 1;
    QVERIFY(!files->saveDocument());
    QVERIFY(!files->saveDocumentAs());
    document->titleTexts[255].clear();
    document->titleTexts[64].assign("s");
    QVERIFY(!files->saveDocument());
    QCOMPARE(prompts->texts(),
             QStringList({"ch.2 Bottom ページ64 のタイトルに半角スペースか制御文字があるため"
                          "保存できません。",
                          "ch.2 Bottom ページ64 のタイトルに半角スペースか制御文字があるため"
                          "保存できません。",
                          "ch.1 Bottom ページ1 のタイトル「s」はファイルに保存できません。"}));
    QVERIFY(prompts->fileDialogs.isEmpty());
    QCOMPARE(fileBytes(path("a.dat")), QByteArray("old"));
    QCOMPARE(document->documentModified, 1);
}

void DocumentFilesTest::confirmExit_data() {
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

void DocumentFilesTest::confirmExit() {
    QFETCH(int, modified);
    QFETCH(bool, titled);
    QFETCH(bool, answerYes);
    QFETCH(QString, chosen);
    QFETCH(bool, mayEnd);
    QFETCH(QString, written);
    if (titled)
        makeTitled("old.dat");
    writeBytes(path("old.dat"), "old");
    writeBytes(path("plain"), "plain");
    document->documentModified = modified;
    prompts->answerNext(answerYes);
    prompts->chooseNext(chosen.isEmpty() ? QString() : path(chosen));
    QCOMPARE(files->confirmExit(), mayEnd);
    QCOMPARE(prompts->questions.size(), modified);
    if (modified)
        QCOMPARE(prompts->questions[0].text, QStringLiteral("データを保存せずに終了しますか？"));
    QCOMPARE(prompts->fileDialogs.size(), modified && !titled && !answerYes ? 1 : 0);
    QCOMPARE(document->documentModified, written.isEmpty() ? modified : 0);
    if (!written.isEmpty())
        QCOMPARE(fileBytes(path(written)), startupFile());
    else
        QCOMPARE(fileBytes(path("old.dat")), QByteArray("old"));
}

void DocumentFilesTest::openAndSaveBenchmark() {
    makeTitled("bench.dat");
    QBENCHMARK {
        prompts->chooseNext(path("bench.dat"));
        files->openDocument();
        files->saveDocument();
    }
    QVERIFY(prompts->boxes.isEmpty());
}

QTEST_GUILESS_MAIN(DocumentFilesTest)
#include "tst_documentfiles.moc"
