#include "core/FileReplacement.h"
#include "support/Files.h"

#include <QDir>
#include <QTemporaryDir>

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

    // A link planted under the leftover's name is not followed; a save that fails keeps the old
    // file; a file reached through a link is replaced where the link points, and keeps its
    // permissions.
    void savesNeverDestroyAnotherFile() {
        writeFile(path("victim"), "keep");
        writeFile(path("doc.dat"), "old");
        QVERIFY(QFile::link(path("victim"), path("doc.dat.zev530tq-new")));
        QVERIFY(save(path("doc.dat"), "new"));
        QCOMPARE(fileBytes(path("victim")), "keep");

        QVERIFY(!replaceFile(path("doc.dat"), [](QIODevice& file) { return !file.write("half"); }));
        QCOMPARE(fileBytes(path("doc.dat")), "new");
        QCOMPARE(files(), QStringList({"doc.dat", "victim"}));

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
};

QTEST_GUILESS_MAIN(FileReplacementTest)
#include "tst_filereplacement.moc"
