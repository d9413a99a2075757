#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTest>
#include <csignal>

// The zev530tq-sim executable itself, run as a separate process.
class SimExecutableTest : public QObject {
    Q_OBJECT
private slots:
    void helpShowsExamples();
    void refusesBadOptions_data();
    void refusesBadOptions();
    void listensAnswersAndStopsOnTerminate();
    void serialLinkGoesAwayOnInterrupt();
};

namespace {

const QString executable = QStringLiteral(ZEV_SIM_EXECUTABLE);

} // namespace

void SimExecutableTest::helpShowsExamples() {
    QProcess sim;
    sim.start(executable, {QStringLiteral("--help")});
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
    const QByteArray help = sim.readAllStandardOutput();
    QVERIFY(help.contains("\n  zev530tq-sim --listen 9004\n"));
    QVERIFY(help.contains("\n  zev530tq-sim --connect 127.0.0.1:9004 --devices 3\n"));
    QVERIFY(help.contains("\n  zev530tq-sim --serial /tmp/zev530tq-com1 --rs485 0,5\n"));
}

void SimExecutableTest::refusesBadOptions_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no transport") << QStringList{};
    QTest::newRow("two transports") << QStringList{"--listen", "0", "--connect", "127.0.0.1:9"};
    QTest::newRow("devices without connect") << QStringList{"--listen", "0", "--devices", "2"};
    QTest::newRow("97 devices") << QStringList{"--connect", "127.0.0.1:9", "--devices", "97"};
    QTest::newRow("rs485 without serial") << QStringList{"--listen", "0", "--rs485", "1"};
    QTest::newRow("address 32") << QStringList{"--serial", "/tmp/x", "--rs485", "1,32"};
    QTest::newRow("same address twice") << QStringList{"--serial", "/tmp/x", "--rs485", "4,4"};
    QTest::newRow("connect without host") << QStringList{"--connect", "9004"};
}

void SimExecutableTest::refusesBadOptions() {
    QFETCH(QStringList, arguments);
    QProcess sim;
    sim.start(executable, arguments);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 2);
    QVERIFY(sim.readAllStandardError().startsWith("zev530tq-sim: "));
}

void SimExecutableTest::listensAnswersAndStopsOnTerminate() {
    QProcess sim;
    sim.start(executable,
              {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--log")});
    QByteArray output;
    const auto readOutput = [&] { return output += sim.readAllStandardOutput(); };
    const QRegularExpression listening(
        QStringLiteral("one device listening on 127\\.0\\.0\\.1:(\\d+)\n"));
    QTRY_VERIFY_WITH_TIMEOUT(listening.match(QString::fromLatin1(readOutput())).hasMatch(), 5000);
    const quint16 port = listening.match(QString::fromLatin1(output)).captured(1).toUShort();

    QTcpSocket program;
    program.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(program.waitForConnected(2000));
    program.write("CWL2\r\n");
    QByteArray reply;
    QTRY_COMPARE(reply += program.readAll(), QByteArray("GO\r\n"));
    QTRY_VERIFY(readOutput().contains("device -> GO\n"));
    QVERIFY(output.contains("program connected\ndevice <- CWL2\ndevice -> GO\n"));

    sim.terminate(); // SIGTERM
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

void SimExecutableTest::serialLinkGoesAwayOnInterrupt() {
    const QString link = QDir::temp().filePath(
        QStringLiteral("zev530tq-sim-exe-%1").arg(QCoreApplication::applicationPid()));
    QProcess sim;
    sim.start(executable,
              {QStringLiteral("--serial"), link, QStringLiteral("--rs485"), QStringLiteral("7")});
    QByteArray output;
    QTRY_VERIFY_WITH_TIMEOUT((output += sim.readAllStandardOutput()).contains("addresses 07\n"),
                             5000);
    QVERIFY(output.contains(", linked at " + QFile::encodeName(link) + "\n"));

    QSerialPort program(link);
    QVERIFY2(program.open(QIODevice::ReadWrite), qPrintable(program.errorString()));
    program.write("07CEL3\r\n");
    QByteArray reply;
    QTRY_COMPARE(reply += program.readAll(), QByteArray("07GO\r\n"));
    program.close();

    ::kill(pid_t(sim.processId()), SIGINT);
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
}

QTEST_GUILESS_MAIN(SimExecutableTest)
#include "tst_simexecutable.moc"
