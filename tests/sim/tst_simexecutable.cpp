#include <QProcess>
#include <QTcpSocket>
#include <QTest>

// The zev530tq-sim executable itself, run as a separate process.
class SimExecutableTest : public QObject {
    Q_OBJECT
private slots:
    // Headless without any display to reach; with --monitor on the platform the tests use.
    void listensAndStopsOnTerminate_data() {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("headless") << QStringList{};
        QTest::newRow("monitor") << QStringList{"--monitor"};
    }

    void listensAndStopsOnTerminate() {
        QFETCH(QStringList, options);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (!options.isEmpty())
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess sim;
        sim.setProcessEnvironment(environment);
        sim.start(QStringLiteral(ZEV_SIM_EXECUTABLE),
                  QStringList{"--listen", "127.0.0.1:0"} + options);
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += sim.readAllStandardOutput()).endsWith('\n'), 5000);
        QVERIFY(output.startsWith("zev530tq-sim: one device listening on 127.0.0.1:"));
        QTcpSocket program;
        program.connectToHost(QHostAddress::LocalHost,
                              output.split(':').last().trimmed().toUShort());
        QVERIFY(program.waitForConnected(2000));

        // Stopped at once after it announced itself, before its event loop need have turned.
        sim.terminate(); // SIGTERM
        QVERIFY(sim.waitForFinished(5000));
        QVERIFY(sim.exitStatus() == QProcess::NormalExit && sim.exitCode() == 0);
    }
};

QTEST_GUILESS_MAIN(SimExecutableTest)
#include "tst_simexecutable.moc"
