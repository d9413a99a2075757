#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>

// The zev530tq-sim executable itself, run as a separate process.
class SimExecutableTest : public QObject {
    Q_OBJECT
private slots:
    void helpAndBadOptions();
    void listensAnswersAndStopsOnTerminate();
};

void SimExecutableTest::helpAndBadOptions() {
    QProcess sim;
    sim.start(QStringLiteral(ZEV_SIM_EXECUTABLE), {QStringLiteral("--help")});
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
    const QByteArray help = sim.readAllStandardOutput();
    QVERIFY(help.contains("\n  zev530tq-sim --listen 9004\n"));
    QVERIFY(help.contains("\n  zev530tq-sim --connect 127.0.0.1:9004 --devices 3\n"));
    QVERIFY(help.contains("\n  zev530tq-sim --serial /tmp/zev530tq-com1 --rs485 0,5\n"));

    const QList<QStringList> badOptions{{},
                                        {"--listen", "0", "--connect", "127.0.0.1:9"},
                                        {"--connect", "127.0.0.1:9", "--devices", "97"},
                                        {"--serial", "/tmp/x", "--rs485", "4,4"},
                                        {"--connect", "9004"}};
    for (const QStringList& arguments : badOptions) {
        sim.start(QStringLiteral(ZEV_SIM_EXECUTABLE), arguments);
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 2);
        QVERIFY(sim.readAllStandardError().startsWith("zev530tq-sim: "));
    }
}

void SimExecutableTest::listensAnswersAndStopsOnTerminate() {
    QProcess sim;
    sim.start(QStringLiteral(ZEV_SIM_EXECUTABLE),
              {QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--log")});
    QByteArray output;
    const QRegularExpression listening(
        QStringLiteral("one device listening on 127\\.0\\.0\\.1:(\\d+)\n"));
    QTRY_VERIFY_WITH_TIMEOUT(
        listening.match(QString::fromLatin1(output += sim.readAllStandardOutput())).hasMatch(),
        5000);
    QTcpSocket program;
    program.connectToHost(QHostAddress::LocalHost,
                          listening.match(QString::fromLatin1(output)).captured(1).toUShort());
    QVERIFY(program.waitForConnected(2000));
    program.write("CWL2\r\n");
    QByteArray reply;
    QTRY_COMPARE(reply += program.readAll(), QByteArray("GO\r\n"));
    QTRY_VERIFY((output += sim.readAllStandardOutput()).contains("device -> GO\n"));
    QVERIFY(output.contains("program connected\ndevice <- CWL2\ndevice -> GO\n"));

    sim.terminate(); // SIGTERM
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_GUILESS_MAIN(SimExecutableTest)
#include "tst_simexecutable.moc"
