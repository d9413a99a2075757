#include "core/FileReplacement.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#include <unistd.h>
#endif

class FileReplacementTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder_;
    QString path(const QString& name) const { return folder_->filePath(name); }
    static bool save(const QString& path, const QByteArray& bytes) {
        return replaceFile(path,
                           [&](QIODevice& file) { return file.write(bytes) == bytes.size(); });
    }
    QStringList files() const {
        return QDir(folder_->path()).entryList(QDir::Files | QDir::System);
    }

private slots:
    void init() { folder_ = std::make_unique<QTemporaryDir>(); }

    // What a killed save left is reused by the next save; files of other names are the user's.
    // (The settings file's leftover goes at start-up: tst_mainwindow.)
    void leftoverOfAKilledSaveIsReused() {
        writeFile(path("doc.dat"), "old");
        writeFile(path("doc.dat.zev530tq-new"), "half of a save");
        writeFile(path("doc.dat.backup"), "the user's");
        QVERIFY(save(path("doc.dat"), "new"));
        QCOMPARE(fileBytes(path("doc.dat")), "new");
        QCOMPARE(files(), QStringList({"doc.dat", "doc.dat.backup"}));
    }

    // A save that fails keeps the old file; a file reached through a link is replaced where the
    // link points, and keeps its permissions.
    void savesNeverDestroyAnotherFile() {
        writeFile(path("doc.dat"), "old");
        QVERIFY(!replaceFile(path("doc.dat"), [](QIODevice& file) { return !file.write("half"); }));
        QCOMPARE(fileBytes(path("doc.dat")), "old");
        QCOMPARE(files(), QStringList({"doc.dat"}));

        QVERIFY(QDir(folder_->path()).mkdir("real"));
        writeFile(path("real/doc.dat"), "old");
        const auto permissions = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup;
        QVERIFY(QFile::setPermissions(path("real/doc.dat"), permissions));
        QVERIFY(QFile::link(path("real/doc.dat"), path("link.dat")));
        QVERIFY(save(path("link.dat"), "new"));
        QVERIFY(QFileInfo(path("link.dat")).isSymLink());
        QCOMPARE(fileBytes(path("real/doc.dat")), "new");
        const auto forUs = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser; // the same again
        QCOMPARE(QFile::permissions(path("real/doc.dat")) & ~forUs, permissions);
    }

    void onlyOurLeftoversGo_data() {
        QTest::addColumn<QString>("inTheWay");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QString>("reason");
        QTest::newRow("killed save") << "file" << true << "";
        QTest::newRow("save under way") << "saving" << false << "別の保存が書き込んでいる";
        QTest::newRow("link") << "link" << false << "このプログラムが残したファイルではありません";
        QTest::newRow("folder") << "folder" << false
                                << "このプログラムが残したファイルではありません";
    }

    // What a killed save left goes when the file is opened (removeLeftoverReplacement) or saved;
    // the new file of a save under way (another program's too: the lock is the system's) and
    // whatever a save would not have written stay, and a save then says why it cannot.
    void onlyOurLeftoversGo() {
        QFETCH(QString, inTheWay);
        QFETCH(bool, removed);
        QFETCH(QString, reason);
        const QString leftover = path("doc.dat.zev530tq-new");
        writeFile(path("doc.dat"), "old");
        writeFile(path("victim"), "keep");
        if (inTheWay == "file")
            writeFile(leftover, "half of a save");
        else if (inTheWay == "link")
            QVERIFY(QFile::link(path("victim"), leftover));
        else if (inTheWay == "folder")
            QVERIFY(QDir(folder_->path()).mkdir("doc.dat.zev530tq-new"));

        QString whyNot;
        if (inTheWay == "saving") {
            bool keptWhileSaving = false, savedMeanwhile = true;
            QVERIFY(replaceFile(path("doc.dat"), [&](QIODevice& file) {
                removeLeftoverReplacement(path("doc.dat"));
                keptWhileSaving = QFileInfo::exists(leftover);
                savedMeanwhile = replaceFile(
                    path("doc.dat"), [](QIODevice&) { return true; }, &whyNot);
                return file.write("new") == 3;
            }));
            QVERIFY(keptWhileSaving && !savedMeanwhile);
            QCOMPARE(fileBytes(path("doc.dat")), "new");
        } else {
            removeLeftoverReplacement(path("doc.dat"));
            QCOMPARE(QFileInfo::exists(leftover) || QFileInfo(leftover).isSymLink(), !removed);
            QCOMPARE(replaceFile(
                         path("doc.dat"), [](QIODevice& file) { return file.write("new") == 3; },
                         &whyNot),
                     removed);
        }
        QVERIFY2(whyNot.contains(reason), qPrintable(whyNot));
        QCOMPARE(fileBytes(path("victim")), "keep");
    }

#ifdef Q_OS_LINUX
    // In a folder that everyone may write in (/tmp), another user's link is not followed, as
    // the system would not follow it; the user's own link and the folder owner's are.
    void sharedFolderLinksFollowedAsTheSystemWould() {
        QDir shared(path("shared"));
        QVERIFY(QDir(folder_->path()).mkdir("shared"));
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 01777) == 0);
        writeFile(path("target.dat"), "old");
        QVERIFY(QFile::link(path("target.dat"), shared.filePath("ours.dat")));
        QVERIFY(QFile::link(path("target.dat"), shared.filePath("theirs.dat")));
        const uid_t someoneElse = geteuid() == 65534 ? 65533 : 65534;
        if (::lchown(QFile::encodeName(shared.filePath("theirs.dat")).constData(), someoneElse,
                     gid_t(-1)) != 0)
            QSKIP("giving a link to another user needs root");
        QVERIFY(save(shared.filePath("ours.dat"), "ours"));
        QString whyNot;
        QVERIFY(!replaceFile(
            shared.filePath("theirs.dat"), [](QIODevice&) { return true; }, &whyNot));
        QVERIFY2(whyNot.contains("他のユーザーのシンボリックリンク"), qPrintable(whyNot));
        QCOMPARE(fileBytes(path("target.dat")), "ours");
    }
#endif
};

QTEST_GUILESS_MAIN(FileReplacementTest)
#include "tst_filereplacement.moc"
