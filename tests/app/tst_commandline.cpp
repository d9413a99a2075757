#include "app/CommandLine.h"
#include "core/TrafficLogFile.h"

#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

namespace {
Q_LOGGING_CATEGORY(traffic, TrafficLogFile::categoryName, QtWarningMsg)
} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void arguments() {
        using A = CommandLine::Action;
        const struct {
            QStringList arguments;
            A action;
            const char* textContains;
            const char* trafficLog;
        } cases[] = {{{"--help"}, A::ShowHelp, "--traffic-log", ""},
                     {{"--version"}, A::ShowVersion, "zev530tq 1.", ""},
                     {{"--traffic-log", "t.log"}, A::Run, "", "t.log"},
                     {{"--traffic-log"}, A::Refuse, "Missing value", ""},
                     {{"file.dat"}, A::Refuse, "file.dat", ""}};
        for (const auto& [arguments, action, textContains, trafficLog] : cases) {
            const CommandLine line = parseCommandLine(arguments);
            QCOMPARE(line.action, action);
            QVERIFY2(line.text.contains(textContains), qPrintable(line.text));
            QCOMPARE(line.trafficLogPath, trafficLog);
        }
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
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[0].endsWith(" tcp -> CWL1"));
        QVERIFY(QDateTime::fromString(QString::fromLatin1(lines[0].left(23)), Qt::ISODateWithMs)
                    .isValid());
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
