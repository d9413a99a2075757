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

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QString writeDocument(const QTemporaryDir& folder, const SettingsDocument& document) {
    const QString dat = folder.filePath(QStringLiteral("show.dat"));
    QFile out(dat);
    return out.open(QIODevice::WriteOnly) && writeDatFile(out, document) ? dat : QString();
}

} // namespace

class TestZevctl : public QObject {
    Q_OBJECT
private slots:
    void commandsReachTheDeviceOverTcp_data();
    void commandsReachTheDeviceOverTcp();
    void serverRoleReachesEveryTarget();
    void rs485ReachesTheAddressedDevice();
    void badInputChangesNothing();
    void noAnswerEndsTheWait();
    void settingsFileChoosesTheLink();
    void titlesRoundTripKeepsTheRestOfTheFile();
    void titlesImportRefusesUnsendableTitles();
};

// Each command's line byte for byte; a refusal (E3, MENU) is reported with its meaning.
void TestZevctl::commandsReachTheDeviceOverTcp_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("refusal");
    QTest::addColumn<QString>("report");
    const QString ok = QStringLiteral("ok GO: Socket ＯＫ");
    const auto row = [&](const char* name, const QStringList& arguments, const QByteArray& line,
                         const QByteArray& refusal = {}, const QString& report = {}) {
        QTest::newRow(name) << arguments << line << refusal << (refusal.isEmpty() ? ok : report);
    };
    row("page auto", {"page", "0", "auto"}, "P01TAS");
    row("startup page", {"startup-page", "2t", "64"}, "SUS02T64");
    row("white level", {"level", "white", "3"}, "CWL3");
    row("position", {"position", "1B", "15"}, "CTDPO01B15");
    row("address", {"address", "31"}, "SA31");
    row("title stored", {"title", "1T", "3", QStringLiteral("本日のニュース")},
        "CT01T034B5C467C244E254B2565213C2539" + QByteArray("2121").repeated(7));
    row("title not stored", {"title", "2B", "64", QStringLiteral("天気"), "--no-store"},
        "CN02B6445373524" + QByteArray("2121").repeated(12));
    row("raw line", {"send", "CWL2"}, "CWL2");
    row("command error", {"page", "1T", "1"}, "P01T01", "E3",
        QStringLiteral("device error E3 (command error): Socket Command"));
    row("menu", {"level", "edge", "2"}, "CEL2", "MENU",
        QStringLiteral(
            "device error MENU (refused: the device shows its menu): Socket Menu Display"));
}

void TestZevctl::commandsReachTheDeviceOverTcp() {
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, refusal);
    QFETCH(QString, report);
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    if (!refusal.isEmpty())
        server.device()->refuseNext(1, refusal);
    const QString device = QStringLiteral("127.0.0.1:%1").arg(server.serverPort());
    const Ran ran = zevctl(QStringList{"--tcp", device} + arguments);
    QCOMPARE(int(ran.code), refusal.isEmpty() ? 0 : 1);
    QCOMPARE(server.device()->receivedLines(), QList<QByteArray>{line});
    QCOMPARE(ran.out + ran.err, device + QStringLiteral(": ") + report + QLatin1Char('\n'));
}

void TestZevctl::serverRoleReachesEveryTarget() {
    const quint16 port = freePort();
    sim::TcpDeviceClients clients(3);
    clients.setReconnectInterval(20);
    clients.connectToProgram(QStringLiteral("127.0.0.1"), port);
    const Ran ran =
        zevctl({"--listen", QString::number(port), "--devices", "3", "--json", "page", "1B", "7"});
    QCOMPARE(int(ran.code), 0);
    const QJsonObject report = QJsonDocument::fromJson(ran.out.toUtf8()).object();
    QCOMPARE(report.value("devices").toArray().size(), 3);
    for (int index = 0; index < 3; ++index) {
        QCOMPARE(report.value("devices")[index].toObject().value("reply").toString(), "GO");
        QCOMPARE(clients.device(index)->receivedLines(), QList<QByteArray>{"P01B07"});
    }
}

void TestZevctl::rs485ReachesTheAddressedDevice() {
#ifdef ZEV_SIM_POSIX
    sim::SerialDeviceBus bus({0, 5});
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("line"));
    QVERIFY(bus.open() && bus.linkSlave(path));
    const Ran ran = zevctl({"--serial", path, "--rs485", "5", "position", "2T", "3"});
    QCOMPARE(int(ran.code), 0);
    QVERIFY2(ran.out.endsWith(QStringLiteral(": ok GO: Success\n")), qPrintable(ran.out));
    QCOMPARE(bus.device(1)->receivedLines(), QList<QByteArray>{"CTDPO02T03"});
    QVERIFY(bus.device(0)->receivedLines().isEmpty());
#else
    QSKIP("no simulated serial line on this platform");
#endif
}

// One case per rule; none of them reaches the link.
void TestZevctl::badInputChangesNothing() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    const QList<std::pair<QStringList, QString>> cases{
        {{"page", "3T", "1"}, "bad area \"3T\""},
        {{"page", "1T", "65"}, "bad page \"65\""},
        {{"title", "1T", "1", "ABC"}, "半角文字は送れません"},
        {{"title", "1T", "1", "😀"}, "no Shift-JIS form"},
        {{"send", "P01\tT01"}, "printable ASCII"},
        {{"reboot"}, "unknown command \"reboot\""},
        {{"--listen", "9004", "page", "1T", "1"}, "choose one of"}};
    for (const auto& [arguments, message] : cases) {
        const Ran ran =
            zevctl(QStringList{"--tcp", QStringLiteral("127.0.0.1:%1").arg(server.serverPort())} +
                   arguments);
        QCOMPARE(int(ran.code), 2);
        QVERIFY2(ran.err.contains(message), qPrintable(ran.err));
    }
    QCOMPARE(server.connectionCount(), 0);
    QVERIFY(server.device()->receivedLines().isEmpty());
}

void TestZevctl::noAnswerEndsTheWait() {
    // A device that says nothing: the program's reply wait, its end driven here; the next
    // exchange goes on as usual. (The serial wait's ticks: tst_commandsender.)
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
    const ExchangeResult result = tcp.exchange("P01T01\r\n");
    QCOMPARE(result.outcome, Outcome::NoAnswer);
    QCOMPARE(result.messages, QStringList{QStringLiteral("Answer が､きません")});
    QCOMPARE(tcp.exchange("P01T02\r\n").reply, QByteArray("GO"));
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
    auto document = std::make_unique<SettingsDocument>();
    document->titleTexts[0].assign(*ShiftJisText::encode(QStringLiteral("朝のニュース")));
    document->titleTexts[200].assign(*ShiftJisText::encode(QStringLiteral("天気予報")));
    document->autoSwitchTimes[1][5] = 42;
    const QString dat = writeDocument(folder, *document);
    QFile in(dat);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QList<QByteArray> expected = in.readAll().split('\n');
    in.close();

    Ran ran = zevctl({"titles", "export", dat});
    QStringList lines = ran.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 256);
    QCOMPARE(lines[0], QStringLiteral("1T\t1\t朝のニュース"));
    QCOMPARE(lines[200], QStringLiteral("2B\t9\t天気予報"));
    lines[200] = QStringLiteral("2B\t9\t雨のち晴れ");
    const QString tsv = folder.filePath(QStringLiteral("titles.tsv"));
    writeFile(tsv, lines.join(QLatin1Char('\n')).toUtf8());

    QCOMPARE(int(zevctl({"titles", "import", dat, tsv}).code), 0);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const qsizetype changed = expected.indexOf(QByteArray("\x93\x56\x8B\x43\x97\x5C\x95\xF1\r"));
    QVERIFY(changed > 0);
    expected[changed] = ShiftJisText::encode(QStringLiteral("雨のち晴れ"))->append('\r');
    QCOMPARE(in.readAll().split('\n'), expected);
}

// Every unsendable title is named and nothing is written, unless told to skip them.
void TestZevctl::titlesImportRefusesUnsendableTitles() {
    QTemporaryDir folder;
    const QString dat = writeDocument(folder, *std::make_unique<SettingsDocument>());
    const QString tsv = folder.filePath(QStringLiteral("titles.tsv"));
    writeFile(tsv, QStringLiteral("1T\t1\t晴れ\n1B\t2\t晴れA\n2T\t3\t%1\n")
                       .arg(QString(15, QChar(0x3042)))
                       .toUtf8());
    const auto firstTitles = [&] { return zevctl({"titles", "export", dat}).out.left(12); };
    Ran ran = zevctl({"titles", "import", dat, tsv});
    QCOMPARE(int(ran.code), 2);
    QVERIFY2(ran.err.contains(QStringLiteral("1B page 2: 3文字目「A」")), qPrintable(ran.err));
    QVERIFY2(ran.err.contains(QStringLiteral("2T page 3: 28バイトを超えています")),
             qPrintable(ran.err));
    QCOMPARE(firstTitles(), QStringLiteral("1T\t1\t\n1T\t2\t\n"));

    QCOMPARE(int(zevctl({"titles", "import", dat, tsv, "--skip-bad"}).code), 0);
    QCOMPARE(firstTitles(), QStringLiteral("1T\t1\t晴れ\n1T\t2"));
}

QTEST_GUILESS_MAIN(TestZevctl)
#include "tst_zevctl.moc"
