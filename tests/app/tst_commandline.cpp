#include "app/CommandLine.h"
#include "core/TrafficLogFile.h"
#include "support/Files.h"

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

    // The category is off by default; the file switches it on and takes only its messages.
    void trafficLogFile() {
        QVERIFY(!traffic().isDebugEnabled());
        QTemporaryDir dir;
        const QString path = dir.filePath("traffic.log");
        {
            TrafficLogFile log;
            QVERIFY(!log.open(dir.filePath("missing/traffic.log")));
            QVERIFY(log.errorText().contains("missing"));
            QVERIFY(log.open(path));
            qCDebug(traffic) << "tcp -> CWL1";
            qDebug("not traffic");
        }
        const QList<QByteArray> lines = fileBytes(path).split('\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].endsWith(" tcp -> CWL1"));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
