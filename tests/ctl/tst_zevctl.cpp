#include "ctl/DeviceSession.h"
#include "ctl/Zevctl.h"
#include "document/DatFile.h"
#include "link/LinkSettings.h"
#include "protocol/ShiftJisText.h"
#include "sim/Device.h"
#include "sim/TcpDeviceClients.h"
#include "sim/TcpDeviceServer.h"
#ifdef ZEV_SIM_POSIX
#include "sim/SerialDeviceBus.h"
#endif

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

struct Ran {
    ExitCode code;
    QString out;
    QString err;
};

Ran zevctl(const QStringList& arguments) {
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const ExitCode code =
        runZevctl(QStringList{QStringLiteral("zevctl")} + arguments, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return {code, out, err};
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

QByteArray titleLineOf(const QString& title, const char* head) {
    QByteArray line(head);
    const QByteArray bytes = *ShiftJisText::encode(title);
    for (qsizetype at = 0; at < 28; at += 2) {
        if (at >= bytes.size()) {
            line += "2121";
            continue;
        }
        // Shift-JIS to JIS X 0208, the inverse of the title editor's conversion, for checking.
        int high = quint8(bytes[at]);
        int low = quint8(bytes[at + 1]);
        high = (high >= 0xE0 ? high - 0xB0 : high - 0x70) * 2 - (low < 0x9F ? 1 : 0);
        low = low < 0x9F ? (low > 0x7F ? low - 0x20 : low - 0x1F) : low - 0x7E;
        line += QByteArray::number(high * 256 + low, 16).toUpper();
    }
    return line;
}

} // namespace

class TestZevctl : public QObject {
    Q_OBJECT
private slots:
    void commandsReachTheDeviceOverTcp_data();
    void commandsReachTheDeviceOverTcp();
    void serverRoleReachesEveryTarget();
    void rs485ReachesTheAddressedDevice();
    void badInputChangesNothing_data();
    void badInputChangesNothing();
    void noAnswerEndsTheWait();
    void settingsFileChoosesTheLink();
    void titlesRoundTripKeepsTheRestOfTheFile();
    void titlesImportRefusesUnsendableTitles();
};

void TestZevctl::commandsReachTheDeviceOverTcp_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("refusal"); // what the device answers instead of carrying it out
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("report");
    const QString ok = QStringLiteral("ok GO: Socket ＯＫ");
    QTest::newRow("page") << QStringList{"page", "2B", "10"} << QByteArray("P02B10") << QByteArray()
                          << 0 << ok;
    QTest::newRow("page auto") << QStringList{"page", "0", "auto"} << QByteArray("P01TAS")
                               << QByteArray() << 0 << ok;
    QTest::newRow("startup page") << QStringList{"startup-page", "2t", "64"}
                                  << QByteArray("SUS02T64") << QByteArray() << 0 << ok;
    QTest::newRow("white level") << QStringList{"level", "white", "3"} << QByteArray("CWL3")
                                 << QByteArray() << 0 << ok;
    QTest::newRow("edge level") << QStringList{"level", "edge", "0"} << QByteArray("CEL0")
                                << QByteArray() << 0 << ok;
    QTest::newRow("position") << QStringList{"position", "1B", "15"} << QByteArray("CTDPO01B15")
                              << QByteArray() << 0 << ok;
    QTest::newRow("address") << QStringList{"address", "31"} << QByteArray("SA31") << QByteArray()
                             << 0 << ok;
    QTest::newRow("title stored") << QStringList{"title", "1T", "3",
                                                 QStringLiteral("本日のニュース")}
                                  << titleLineOf(QStringLiteral("本日のニュース"), "CT01T03")
                                  << QByteArray() << 0 << ok;
    QTest::newRow("title not stored")
        << QStringList{"title", "2B", "64", QStringLiteral("天気"), "--no-store"}
        << titleLineOf(QStringLiteral("天気"), "CN02B64") << QByteArray() << 0 << ok;
    QTest::newRow("raw line") << QStringList{"send", "CWL2"} << QByteArray("CWL2") << QByteArray()
                              << 0 << ok;
    QTest::newRow("command error")
        << QStringList{"page", "1T", "1"} << QByteArray("P01T01") << QByteArray("E3") << 1
        << QStringLiteral("device error E3 (command error): Socket Command");
    QTest::newRow("menu")
        << QStringList{"level", "edge", "2"} << QByteArray("CEL2") << QByteArray("MENU") << 1
        << QStringLiteral(
               "device error MENU (refused: the device shows its menu): Socket Menu Display");
}

void TestZevctl::commandsReachTheDeviceOverTcp() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, refusal);
    QFETCH(int, exitCode);
    QFETCH(QString, report);
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    if (!refusal.isEmpty())
        server.device()->refuseNext(1, refusal);
    const QString device = QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
    const Ran ran = zevctl(QStringList{"--tcp", device} + arguments);
    QCOMPARE(int(ran.code), exitCode);
    QCOMPARE(server.device()->receivedLines(), QList<QByteArray>{line});
    QCOMPARE(ran.out + ran.err, device + QStringLiteral(": ") + report + QLatin1Char('\n'));
    if (arguments[0] == QLatin1String("page") && refusal.isEmpty())
        QCOMPARE(server.device()->displayPage(arguments[1] == QLatin1String("2B") ? 3 : 0),
                 arguments[2] == QLatin1String("auto") ? 64 : 9);
}

void TestZevctl::serverRoleReachesEveryTarget() {
    const quint16 port = freePort();
    sim::TcpDeviceClients clients(3);
    clients.setReconnectInterval(20);
    clients.connectToProgram(QStringLiteral("127.0.0.1"), port);
    QTemporaryDir folder;
    const QString log = folder.filePath(QStringLiteral("traffic.log"));
    Ran ran = zevctl({"--listen", QString::number(port), "--devices", "3", "--json",
                      "--traffic-log", log, "page", "1B", "7"});
    QCOMPARE(int(ran.code), 0);
    const QJsonObject report = QJsonDocument::fromJson(ran.out.toUtf8()).object();
    QCOMPARE(report.value("line").toString(), QStringLiteral("P01B07"));
    QCOMPARE(report.value("devices").toArray().size(), 3);
    for (const QJsonValue each : report.value("devices").toArray())
        QCOMPARE(each.toObject().value("reply").toString(), QStringLiteral("GO"));
    for (int index = 0; index < 3; ++index)
        QCOMPARE(clients.device(index)->receivedLines(), QList<QByteArray>{"P01B07"});
    QFile traffic(log);
    QVERIFY(traffic.open(QIODevice::ReadOnly));
    const QByteArray logged = traffic.readAll();
    QCOMPARE(logged.count("tcp 127.0.0.1:"), 6);
    QCOMPARE(logged.count(R"( sent "P01B07\r\n")"), 3);
    QCOMPARE(logged.count(R"( received "GO\r\n")"), 3);

    // A target list picks connections by entry; one that is not connected is named and gives 3.
    QTRY_COMPARE(clients.connectedCount(), 3);
    ran = zevctl({"--listen", QString::number(port), "--devices", "3", "--target", "2,9", "level",
                  "white", "0"});
    QCOMPARE(int(ran.code), 3);
    QVERIFY2(ran.err.contains(QStringLiteral("9: not connected")), qPrintable(ran.err));
    int reached = 0;
    for (int index = 0; index < 3; ++index)
        reached += clients.device(index)->receivedLines().contains("CWL0") ? 1 : 0;
    QCOMPARE(reached, 1);
}

void TestZevctl::rs485ReachesTheAddressedDevice() {
#ifdef ZEV_SIM_POSIX
    sim::SerialDeviceBus bus({0, 5});
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("line"));
    QVERIFY(bus.open() && bus.linkSlave(path));
    Ran ran = zevctl({"--serial", path, "--rs485", "5", "position", "2T", "3"});
    QCOMPARE(int(ran.code), 0);
    QVERIFY2(ran.out.endsWith(QStringLiteral(": ok GO: Success\n")), qPrintable(ran.out));
    QCOMPARE(bus.device(1)->receivedLines(), QList<QByteArray>{"CTDPO02T03"});
    QCOMPARE(bus.device(1)->sentReplies(), QList<QByteArray>{"05GO\r\n"});
    QVERIFY(bus.device(0)->receivedLines().isEmpty());

    // A broadcast reaches both and waits for no reply.
    ran = zevctl({"--serial", path, "--broadcast", "startup-page", "1T", "auto"});
    QCOMPARE(int(ran.code), 0);
    QTRY_COMPARE(bus.device(0)->receivedLines(), QList<QByteArray>{"SUS01TAS"});
    QCOMPARE(bus.device(1)->receivedLines().last(), QByteArray("SUS01TAS"));
    QCOMPARE(bus.device(0)->startupPage(0), 64);
#else
    QSKIP("no simulated serial line on this platform");
#endif
}

void TestZevctl::badInputChangesNothing_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("area") << QStringList{"page", "3T", "1"} << QStringLiteral("bad area \"3T\"");
    QTest::newRow("page") << QStringList{"page", "1T", "65"} << QStringLiteral("bad page \"65\"");
    QTest::newRow("auto title page")
        << QStringList{"title", "1T", "auto", "天気"} << QStringLiteral("bad page \"auto\"");
    QTest::newRow("level kind") << QStringList{"level", "grey", "1"}
                                << QStringLiteral("bad level \"grey\"");
    QTest::newRow("level value") << QStringList{"level", "edge", "4"}
                                 << QStringLiteral("bad level value \"4\"");
    QTest::newRow("position") << QStringList{"position", "1T", "16"}
                              << QStringLiteral("bad position \"16\"");
    QTest::newRow("address") << QStringList{"address", "32"}
                             << QStringLiteral("bad address \"32\"");
    QTest::newRow("half-width title")
        << QStringList{"title", "1T", "1", "ABC"} << QStringLiteral("半角文字は送れません");
    QTest::newRow("long title") << QStringList{"title", "1T", "1", QString(15, QChar(0x3042))}
                                << QStringLiteral("28バイトを超えています");
    QTest::newRow("no Shift-JIS") << QStringList{"title", "1T", "1", QStringLiteral("😀")}
                                  << QStringLiteral("no Shift-JIS form");
    QTest::newRow("control in line")
        << QStringList{"send", "P01\tT01"} << QStringLiteral("printable ASCII");
    QTest::newRow("missing argument")
        << QStringList{"page", "1T"} << QStringLiteral("usage: zevctl page AREA PAGE|auto");
    QTest::newRow("unknown command")
        << QStringList{"reboot"} << QStringLiteral("unknown command \"reboot\"");
    QTest::newRow("unknown option")
        << QStringList{"--fast", "page", "1T", "1"} << QStringLiteral("Unknown option 'fast'");
    QTest::newRow("two links") << QStringList{"--listen", "9004", "page", "1T", "1"}
                               << QStringLiteral("choose one of");
}

void TestZevctl::badInputChangesNothing() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    const Ran ran = zevctl(
        QStringList{"--tcp", QStringLiteral("127.0.0.1:%1").arg(server.serverPort())} + arguments);
    QCOMPARE(int(ran.code), 2);
    QVERIFY2(ran.err.contains(message), qPrintable(ran.err));
    QCOMPARE(server.connectionCount(), 0);
    QVERIFY(server.device()->receivedLines().isEmpty());
}

void TestZevctl::noAnswerEndsTheWait() {
    // A port nobody listens on: the link does not come up.
    Ran ran = zevctl({"--tcp", QStringLiteral("127.0.0.1:%1").arg(freePort()), "page", "1T", "1"});
    QCOMPARE(int(ran.code), 3);
    QVERIFY2(ran.err.contains(QStringLiteral("cannot connect")), qPrintable(ran.err));

    // A device that says nothing: the program's reply waits, their ends driven here.
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    server.device()->ignoreNext(1);
    QTemporaryDir folder;
    DeviceSession tcp{ConfigFolder(folder.path())};
    LinkChoice choice;
    choice.kind = LinkKind::TcpClient;
    choice.host = QStringLiteral("127.0.0.1");
    choice.port = QString::number(server.serverPort());
    QCOMPARE(tcp.open(choice), QString());
    QTimer::singleShot(0, &tcp, [&] { tcp.sender().expireTcpReplyWait(); });
    ExchangeResult result = tcp.exchange("P01T01\r\n");
    QCOMPARE(result.outcome, Outcome::NoAnswer);
    QCOMPARE(result.messages, QStringList{QStringLiteral("Answer が､きません")});
    QCOMPARE(tcp.exchange("P01T02\r\n").reply, QByteArray("GO"));
#ifdef ZEV_SIM_POSIX
    sim::SerialDeviceBus bus({0});
    QVERIFY(bus.open() && bus.linkSlave(folder.filePath(QStringLiteral("COM1"))));
    bus.device()->ignoreNext(1);
    DeviceSession serial{ConfigFolder(folder.path())};
    choice = LinkChoice{};
    choice.kind = LinkKind::Serial;
    choice.rs485Mode = Rs485Mode::Rs485;
    QCOMPARE(serial.open(choice), QString());
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &serial, [&] {
        ++ticks;
        serial.sender().checkReplyTimeout();
    });
    ticker.start(0);
    result = serial.exchange("CWL1\r\n");
    ticker.stop();
    QCOMPARE(result.outcome, Outcome::NoAnswer);
    QCOMPARE(result.messages, QStringList{QStringLiteral("No Connect")});
    QCOMPARE(ticks, 7);
#endif
}

void TestZevctl::settingsFileChoosesTheLink() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    QTemporaryDir folder;
    LinkConfiguration link;
    link.interfaceKind = InterfaceKind::Tcp;
    link.hostAddresses[0] = {127, 0, 0, 1};
    link.hostCount = 1;
    link.portNumberText.assign(QByteArray::number(server.serverPort()));
    ProfileFile file = linkSettingsFile(ConfigFolder(folder.path()));
    QVERIFY(writeInterfaceKind(file, link) && writeHostList(file, link, 0) &&
            writePortNumber(file, link) && writeSelectedConnection(file, link));
    const Ran ran = zevctl({"--config-folder", folder.path(), "level", "edge", "3"});
    QCOMPARE(int(ran.code), 0);
    QCOMPARE(server.device()->receivedLines(), QList<QByteArray>{"CEL3"});
}

void TestZevctl::titlesRoundTripKeepsTheRestOfTheFile() {
    QTemporaryDir folder;
    const QString dat = folder.filePath(QStringLiteral("show.dat"));
    auto document = std::make_unique<SettingsDocument>();
    document->titleTexts[0].assign(*ShiftJisText::encode(QStringLiteral("朝のニュース")));
    document->titleTexts[200].assign(*ShiftJisText::encode(QStringLiteral("天気予報")));
    document->autoSwitchTimes[1][5] = 42;
    document->displayPosition[3] = 12;
    QFile out(dat);
    QVERIFY(out.open(QIODevice::WriteOnly) && writeDatFile(out, *document));
    out.close();
    QFile in(dat);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray before = in.readAll();
    in.close();

    Ran ran = zevctl({"titles", "export", dat});
    QCOMPARE(int(ran.code), 0);
    QStringList lines = ran.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 256);
    QCOMPARE(lines[0], QStringLiteral("1T\t1\t朝のニュース"));
    QCOMPARE(lines[200], QStringLiteral("2B\t9\t天気予報"));
    lines[200] = QStringLiteral("2B\t9\t雨のち晴れ");
    const QString tsv = folder.filePath(QStringLiteral("titles.tsv"));
    QFile table(tsv);
    QVERIFY(table.open(QIODevice::WriteOnly));
    table.write(lines.join(QLatin1Char('\n')).toUtf8());
    table.close();

    ran = zevctl({"titles", "import", dat, tsv});
    QCOMPARE(int(ran.code), 0);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QList<QByteArray> after = in.readAll().split('\n');
    QList<QByteArray> expected = before.split('\n');
    const qsizetype changed = expected.indexOf(QByteArray("\x93\x56\x8B\x43\x97\x5C\x95\xF1\r"));
    QVERIFY(changed > 0);
    expected[changed] = ShiftJisText::encode(QStringLiteral("雨のち晴れ"))->append('\r');
    QCOMPARE(after, expected);
}

void TestZevctl::titlesImportRefusesUnsendableTitles() {
    QTemporaryDir folder;
    const QString dat = folder.filePath(QStringLiteral("show.dat"));
    auto document = std::make_unique<SettingsDocument>();
    QFile out(dat);
    QVERIFY(out.open(QIODevice::WriteOnly) && writeDatFile(out, *document));
    out.close();
    const QString tsv = folder.filePath(QStringLiteral("titles.tsv"));
    QFile table(tsv);
    QVERIFY(table.open(QIODevice::WriteOnly));
    table.write(QStringLiteral("1T\t1\t晴れ\n1B\t2\t晴れA\n2T\t3\t").toUtf8() +
                QString(15, QChar(0x3042)).toUtf8() + "\n");
    table.close();

    Ran ran = zevctl({"titles", "import", dat, tsv});
    QCOMPARE(int(ran.code), 2);
    QVERIFY2(ran.err.contains(QStringLiteral("1B page 2: 3文字目「A」")), qPrintable(ran.err));
    QVERIFY2(ran.err.contains(QStringLiteral("2T page 3: 28バイトを超えています")),
             qPrintable(ran.err));
    QVERIFY(zevctl({"titles", "export", dat}).out.startsWith(QStringLiteral("1T\t1\t\n")));

    ran = zevctl({"titles", "import", dat, tsv, "--skip-bad"});
    QCOMPARE(int(ran.code), 0);
    QVERIFY(
        zevctl({"titles", "export", dat}).out.startsWith(QStringLiteral("1T\t1\t晴れ\n1T\t2\t\n")));

    QVERIFY(table.open(QIODevice::WriteOnly));
    table.write("1T\t65\tx\n");
    table.close();
    ran = zevctl({"titles", "import", dat, tsv});
    QCOMPARE(int(ran.code), 2);
    QVERIFY2(ran.err.contains(QStringLiteral("line 1: expected area")), qPrintable(ran.err));
    QCOMPARE(int(zevctl({"titles", "export", folder.filePath("missing.dat")}).code), 2);
}

QTEST_GUILESS_MAIN(TestZevctl)
#include "tst_zevctl.moc"
