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
    void arguments_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("textContains");
        QTest::addColumn<QString>("trafficLog");
        using A = CommandLine::Action;
        const auto row = [](const char* name, const QStringList& arguments, A action,
                            const char* textContains, const char* trafficLog = "") {
            QTest::newRow(name) << arguments << int(action) << textContains << trafficLog;
        };
        row("none", {}, A::Run, "");
        row("help", {"--help"}, A::ShowHelp, "--traffic-log");
        row("version", {"--version"}, A::ShowVersion, "zev530tq 1.");
        row("log", {"--traffic-log", "t.log"}, A::Run, "", "t.log");
        row("log without file", {"--traffic-log"}, A::Refuse, "Missing value");
        row("stray", {"file.dat"}, A::Refuse, "file.dat");
    }

    void arguments() {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, textContains);
        QFETCH(QString, trafficLog);
        const CommandLine line = parseCommandLine(arguments);
        QCOMPARE(int(line.action), action);
        QVERIFY2(line.text.contains(textContains), qPrintable(line.text));
        QCOMPARE(line.trafficLogPath, trafficLog);
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
