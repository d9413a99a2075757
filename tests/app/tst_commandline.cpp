#include "app/CommandLine.h"
#include "core/TrafficLogFile.h"
#include "support/Files.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>

namespace {
Q_LOGGING_CATEGORY(traffic, TrafficLogFile::categoryName, QtWarningMsg)
} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    // The option's file reaches the program; what the program does not take is refused.
    void arguments() {
        QCOMPARE(parseCommandLine({"--traffic-log", "t.log"}).trafficLogPath, "t.log");
        QCOMPARE(parseCommandLine({"file.dat"}).action, CommandLine::Action::Refuse);
    }

    // The category is off by default; the file switches it on and takes only its messages,
    // after its own first line, written at once.
    void trafficLogFile() {
        QVERIFY(!traffic().isDebugEnabled());
        QTemporaryDir dir;
        const QString path = dir.filePath("traffic.log");
        {
            TrafficLogFile log;
            QVERIFY(!log.open(dir.filePath("missing/traffic.log")));
            QVERIFY(log.errorText().contains("missing"));
            QVERIFY(log.open(path));
            QVERIFY(fileBytes(path).endsWith(" opened\n"));
            qCDebug(traffic) << "tcp -> CWL1";
            qDebug("not traffic");
        }
        const QList<QByteArray> lines = fileBytes(path).split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[1].endsWith(" tcp -> CWL1"));
    }

    // A log that cannot be written is said when it is opened, not lost quietly.
    void trafficLogThatCannotBeWritten() {
        TrafficLogFile log;
        QVERIFY(!log.open("/dev/full"));
        QCOMPARE(log.errorText(),
                 "Cannot write the traffic log /dev/full: No space left on device");
        QVERIFY(!traffic().isDebugEnabled());
    }

    // A flood is written a piece at a time and never grows the log beyond its files: the oldest
    // lines go first.
    void trafficLogIsBounded() {
        QTemporaryDir dir;
        const QString path = dir.filePath("traffic.log");
        constexpr qint64 rotationSize = 4096;
        {
            TrafficLogFile log;
            QVERIFY(log.open(path, rotationSize));
            const qint64 opened = QFileInfo(path).size();
            for (int line = 0; line < 1000; ++line)
                qCDebug(traffic, "line %04d", line);
            QCOMPARE(QFileInfo(path).size(), opened); // not one write a line
            QTRY_VERIFY(QFileInfo::exists(path + ".3"));
        }
        QVERIFY(!QFileInfo::exists(path + ".4"));
        QByteArray kept;
        for (const QString& name : {path + ".3", path + ".2", path + ".1", path}) {
            QVERIFY(QFileInfo(name).size() <= rotationSize);
            kept += fileBytes(name);
        }
        const QList<QByteArray> lines = kept.trimmed().split('\n');
        QVERIFY(lines.size() > 300);
        for (qsizetype i = 0; i < lines.size(); ++i) // whole lines, none lost between the files
            QVERIFY(lines[i].endsWith(
                " line " + QByteArray::number(1000 - lines.size() + i).rightJustified(4, '0')));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
