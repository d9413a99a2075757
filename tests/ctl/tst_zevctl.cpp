#include "ctl/DeviceSession.h"
#include "ctl/ProgressBar.h"
#include "ctl/Zevctl.h"
#include "document/DatFile.h"
#include "glyphs/GlyphFile.h"
#include "protocol/ShiftJisText.h"
#include "sim/Device.h"
#include "sim/TcpDeviceClients.h"
#include "sim/TcpDeviceServer.h"
#include "support/Files.h"
#include "support/ShowDocument.h"
#ifdef ZEV_SIM_POSIX
#include "sim/SerialDeviceBus.h"
#endif

#include <QDir>
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

// Takes a device's run over: its timer silenced, the next tick as soon as the answer to the line
// before has been acted on (or its wait has ended otherwise, which a slow check catches), so that
// a run of 280 steps takes no longer than its answers.
class TickDriver : public QObject {
public:
    explicit TickDriver(TargetDevice& device) : QObject(device.run()), device_(device) {
        device.run()->findChild<QTimer*>("runTimer")->blockSignals(true);
        connect(&device.sender.replies(), &ReplyHandler::replyHandled, this, &TickDriver::next,
                Qt::QueuedConnection);
        connect(&check_, &QTimer::timeout, this, &TickDriver::next);
        check_.start(20);
        QMetaObject::invokeMethod(this, &TickDriver::next, Qt::QueuedConnection);
    }
    void next() {
        while (device_.run()->isRunning() && !device_.isWaiting())
            device_.run()->tick();
    }

private:
    TargetDevice& device_;
    QTimer check_;
};

ZevctlSetup drivenTicks(bool progressBar = false) {
    return ZevctlSetup{progressBar, [](TargetDevice& device) { new TickDriver(device); }};
}

Ran zevctl(const QStringList& arguments, const ZevctlSetup& setup = drivenTicks()) {
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const ExitCode code =
        runZevctl(QStringList{QStringLiteral("zevctl")} + arguments, outStream, errStream, setup);
    outStream.flush();
    errStream.flush();
    return {code, out, err};
}

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

QString writeDocument(const QTemporaryDir& folder, const SettingsDocument& document,
                      const QString& name = QStringLiteral("show.dat")) {
    const QString dat = folder.filePath(name);
    QFile out(dat);
    return out.open(QIODevice::WriteOnly) && writeDatFile(out, document) ? dat : QString();
}

// A glyph whose digits run through 0 to F.
GlyphSample patternGlyph() {
    GlyphSample sample = AppState::filledGlyphSample();
    for (int digit = 0; digit < AppState::glyphDigitCount; ++digit)
        sample[std::size_t(digit)] = "0123456789ABCDEF"[digit % 16];
    return sample;
}

} // namespace

class TestZevctl : public QObject {
    Q_OBJECT
private slots:
    void commandsReachTheDeviceOverTcp_data();
    void commandsReachTheDeviceOverTcp();
    void serverRoleReachesEveryTarget();
    void badInputChangesNothing();
    void noAnswerEndsTheWait();
    void settingsFileChoosesTheLink();
    void titlesRoundTripKeepsTheRestOfTheFile();
    void glyphRoundTrip();
    void sendAllThenVerify_data();
    void sendAllThenVerify();
    void devicesRunInParallel();
    void progressLine();
};

// Each command's line byte for byte; a refusal is reported with its meaning.
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
    row("display off", {"display", "1T", "1", "off"}, "CTD01T01OF");
    row("display on", {"display", "2B", "64", "ON"}, "CTD02B64ON");
    row("switch time", {"switch-time", "1B", "9", "99"}, "AST01B0999");
    row("insert glyph", {"insert-glyph", "1B", "12", "5", "--position", "3"}, "G05C01B12I03");
    row("insert glyph first place", {"insert-glyph", "2B", "64", "28"}, "G28C02B64I01");
    row("command error", {"page", "1T", "1"}, "P01T01", "E3",
        QStringLiteral("device error E3 (command error): Socket Command"));
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
    // Entry 1 named twice, once by its address: still one device, one line.
    QCOMPARE(int(zevctl({"--listen", QString::number(port), "--devices", "3", "--target",
                         "1,127.0.0.1,2,3", "page", "1B", "7"})
                     .code),
             0);
    for (int index = 0; index < 3; ++index)
        QCOMPARE(clients.device(index)->receivedLines(), QList<QByteArray>{"P01B07"});
}

// One case per rule; none of them reaches the link.
void TestZevctl::badInputChangesNothing() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    QTemporaryDir folder;
    const QString damaged = folder.filePath(QStringLiteral("damaged.dat"));
    writeFile(damaged, "garbage\r\n");
    const QList<std::pair<QStringList, QString>> cases{
        {{"page", "3T", "1"}, "bad area \"3T\""},
        {{"page", "1T", "65"}, "bad page \"65\""},
        {{"title", "1T", "1", "ABC"}, "半角文字は送れません"},
        {{"send", "P01\tT01"}, "printable ASCII"},
        {{"switch-time", "1T", "1", "100"}, "bad seconds \"100\""},
        {{"insert-glyph", "1T", "1", "29"}, "bad glyph number \"29\""},
        {{"glyph-read", "29", "out.txt"}, "外字登録番号"},
        {{"glyph-register", "1", "/nonexistent/glyph.txt"}, "cannot read the glyph file"},
        {{"send-all", "/nonexistent/show.dat"}, "cannot read the settings file"},
        {{"verify", damaged}, "not a settings file: 1 行目"},
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
    // The reply wait's end driven here; a glyph read after one that got no answer goes on.
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    server.device()->ignoreNext(2);
    QTemporaryDir folder;
    DeviceSession session{ConfigFolder(folder.path())};
    LinkChoice choice;
    choice.kind = LinkKind::TcpClient;
    choice.host = QStringLiteral("127.0.0.1");
    choice.port = QString::number(server.serverPort());
    QCOMPARE(session.open(choice), QString());
    TargetDevice& device = *session.devices().front();
    const auto exchange = [&](const QByteArray& line, bool readsGlyph, bool answered) {
        if (!answered)
            QTimer::singleShot(0, &device, [&] { device.sender.expireTcpReplyWait(); });
        device.startExchange(line, readsGlyph);
        session.waitForDevices();
        return device.result();
    };
    const ExchangeResult result = exchange("P01T01\r\n", false, false);
    QCOMPARE(result.outcome, Outcome::NoAnswer);
    QCOMPARE(result.messages, QStringList{QStringLiteral("Answer が､きません")});
    QCOMPARE(exchange("RFBMBA65\r\n", true, false).outcome, Outcome::NoAnswer);
    QCOMPARE(device.sender.exchange().glyphReadPending, 0);
    QVERIFY(exchange("RFBMBA65\r\n", true, true).reply.startsWith("FBMBA65"));
}

void TestZevctl::settingsFileChoosesTheLink() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    QTemporaryDir folder;
    writeFile(folder.filePath(QStringLiteral("zev530tq.ini")),
              "[ZEV-530TQ_Section]\r\nInterface=1\r\nlist_count=1\r\nip00_0=127\r\nip00_3=1\r\n"
              "port_number=" +
                  QByteArray::number(server.serverPort()) + "\r\n");
    const Ran ran = zevctl({"--config-folder", folder.path(), "level", "edge", "3"});
    QCOMPARE(int(ran.code), 0);
    QCOMPARE(server.device()->receivedLines(), QList<QByteArray>{"CEL3"});
}

// Every unsendable title is named and nothing is written, unless told to skip them.
void TestZevctl::titlesRoundTripKeepsTheRestOfTheFile() {
    QTemporaryDir folder;
    auto document = std::make_unique<SettingsDocument>();
    document->titleTexts[200].assign(*ShiftJisText::encode(QStringLiteral("天気予報")));
    document->autoSwitchTimes[1][5] = 42;
    const QString dat = writeDocument(folder, *document);
    const QByteArray before = fileBytes(dat);

    QStringList lines =
        zevctl({"titles", "export", dat}).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 256);
    QCOMPARE(lines[200], QStringLiteral("2B\t9\t天気予報"));
    lines[200] = QStringLiteral("2B\t9\t雨のち晴れ");
    lines[65] = QStringLiteral("1B\t2\t晴れA");
    lines[130] = QStringLiteral("2T\t3\t%1").arg(QString(15, QChar(0x3042)));
    const QString tsv = folder.filePath(QStringLiteral("titles.tsv"));
    writeFile(tsv, lines.join(QLatin1Char('\n')).toUtf8());
    const Ran ran = zevctl({"titles", "import", dat, tsv});
    QCOMPARE(int(ran.code), 2);
    QVERIFY2(ran.err.contains(QStringLiteral("1B page 2: 3文字目「A」")), qPrintable(ran.err));
    QVERIFY2(ran.err.contains(QStringLiteral("2T page 3: 28バイトを超えています")),
             qPrintable(ran.err));
    QCOMPARE(fileBytes(dat), before);

    QCOMPARE(int(zevctl({"titles", "import", dat, tsv, "--skip-bad"}).code), 0);
    QList<QByteArray> expected = before.split('\n');
    const qsizetype changed = expected.indexOf(QByteArray("\x93\x56\x8B\x43\x97\x5C\x95\xF1\r"));
    QVERIFY(changed > 0);
    expected[changed] = ShiftJisText::encode(QStringLiteral("雨のち晴れ"))->append('\r');
    QCOMPARE(fileBytes(dat).split('\n'), expected);
}

// A glyph file goes to the device and comes back the same from a read of its number.
void TestZevctl::glyphRoundTrip() {
    sim::TcpDeviceServer server;
    QVERIFY(server.listen());
    QTemporaryDir folder;
    const QString sent = folder.filePath(QStringLiteral("sent.txt"));
    const QString read = folder.filePath(QStringLiteral("read.txt"));
    QFile file(sent);
    QVERIFY(file.open(QIODevice::WriteOnly) && writeGlyphFile(file, patternGlyph()));
    file.close();
    const QStringList device{"--tcp", QStringLiteral("127.0.0.1:%1").arg(server.serverPort())};
    QCOMPARE(int(zevctl(device + QStringList{"glyph-register", "27", sent}).code), 0);
    QCOMPARE(int(zevctl(device + QStringList{"glyph-read", "27", read}).code), 0);
    const GlyphSample glyph = patternGlyph();
    QCOMPARE(server.device()->receivedLines(),
             (QList<QByteArray>{"GR27" + QByteArray(glyph.data(), AppState::glyphDigitCount),
                                "RFBMBB21"}));
    QCOMPARE(fileBytes(read), fileBytes(sent));

    // An answer that holds no glyph writes no file and is no glyph read.
    const QString none = folder.filePath(QStringLiteral("none.txt"));
    server.device()->refuseNext(1, "FBM0");
    QCOMPARE(int(zevctl(device + QStringList{"glyph-read", "27", none}).code), 1);
    QVERIFY(!QFile::exists(none));
}

// The whole document goes out at the program's steps, comes back the same (as a field check and
// as the file a read-back writes), and a field changed on the device is named.
void TestZevctl::sendAllThenVerify_data() {
    QTest::addColumn<bool>("rs485");
    QTest::newRow("TCP") << false;
#ifdef ZEV_SIM_POSIX
    QTest::newRow("RS-485") << true;
#endif
}

void TestZevctl::sendAllThenVerify() {
    QFETCH(bool, rs485);
    QTemporaryDir folder;
    const auto document = std::make_unique<SettingsDocument>();
    fillAwayFromDefaults(*document);
    const QString dat = writeDocument(folder, *document);
    const QString readBack = folder.filePath(QStringLiteral("device.dat"));
    sim::TcpDeviceServer server;
    QStringList link;
    sim::Device* device = server.device();
#ifdef ZEV_SIM_POSIX
    sim::SerialDeviceBus bus({0, 5});
    if (rs485) {
        const QString path = folder.filePath(QStringLiteral("line"));
        QVERIFY(bus.open() && bus.linkSlave(path));
        link = QStringList{"--serial", path, "--rs485", "5"};
        device = bus.device(1);
    }
#endif
    if (!rs485) {
        QVERIFY(server.listen());
        link = QStringList{"--tcp", QStringLiteral("127.0.0.1:%1").arg(server.serverPort())};
    }

    Ran ran = zevctl(link + QStringList{"send-all", dat});
    QCOMPARE(int(ran.code), 0);
    const QList<QByteArray>& lines = device->receivedLines();
    QCOMPARE(lines.size(), 278);
    QCOMPARE(lines.mid(264, 2), (QList<QByteArray>{"CWL2", "CEL2"})); // the file's levels
    QCOMPARE(lines.last(), QByteArray("P02B64"));

    ran = zevctl(link + QStringList{"verify", dat}, drivenTicks(true));
    QVERIFY2(ran.code == ExitCode::Ok, qPrintable(ran.err));
    QVERIFY2(ran.err.contains(QStringLiteral("100 %")), qPrintable(ran.err));
    QCOMPARE(int(zevctl(link + QStringList{"read-back", readBack}).code), 0);
    QCOMPARE(fileBytes(readBack), fileBytes(dat));

    device->respond("CTDPO01B03\r\n");
    ran = zevctl(link + QStringList{"--json", "verify", dat});
    QCOMPARE(int(ran.code), 1);
    const QJsonObject report = QJsonDocument::fromJson(ran.out.toUtf8()).object();
    const QJsonObject only = report.value("devices")[0].toObject();
    QCOMPARE(only.value("result").toString(), "differs");
    QCOMPARE(only.value("details").toArray().toVariantList(),
             QVariantList{QStringLiteral("1B position: 15 in the file, 3 on the device")});

    // A request lost at the run's own pace: the differing field was never read, so no pass.
    TargetDevice* reading = nullptr;
    QObject losing;
    connect(device, &sim::Device::lineReceived, &losing, [&](const QByteArray& line) {
        if (line != "RCT01T01")
            return;
        device->ignoreNext(1);
        QMetaObject::invokeMethod(reading->run(), &TransferRun::tick, Qt::QueuedConnection);
    });
    device->respond("CT01T01" + QByteArray("3021").repeated(14) + "\r\n");
    ran = zevctl(link + QStringList{"verify", dat}, ZevctlSetup{false, [&](TargetDevice& target) {
                                                                    reading = &target;
                                                                    new TickDriver(target);
                                                                }});
    QCOMPARE(int(ran.code), 3);
    QVERIFY2(ran.err.contains(QStringLiteral("1 of 278 settings did not come back")),
             qPrintable(ran.err));
#ifdef ZEV_SIM_POSIX
    if (rs485)
        QVERIFY(bus.device(0)->receivedLines().isEmpty());
#endif
}

// Three devices in the server role, each on its own connection at its own pace: one reads back
// whole, one refuses a line, one drops off the network; each gets its own summary.
void TestZevctl::devicesRunInParallel() {
    const quint16 port = freePort();
    sim::TcpDeviceClients clients(3);
    clients.setReconnectInterval(20);
    clients.connectToProgram(QStringLiteral("127.0.0.1"), port);
    clients.device(1)->refuseNext(1, "E2");
    connect(clients.device(2), &sim::Device::lineReceived, this, [&] {
        if (clients.device(2)->receivedLines().size() == 40)
            clients.disconnectDevice(2);
    });
    QTemporaryDir folder;
    const QString dat = folder.filePath(QStringLiteral("fleet.dat"));
    const Ran ran = zevctl({"--listen", QString::number(port), "--devices", "3", "read-back", dat});
    QCOMPARE(int(ran.code), 3);
    QCOMPARE(clients.device(0)->receivedLines().size(), 278);
    QCOMPARE(clients.device(1)->receivedLines(), QList<QByteArray>{"RAST01B"});
    QCOMPARE(clients.device(2)->receivedLines().size(), 40);
    QVERIFY2(ran.out.count(QStringLiteral(": ok: Read ＯＫ\n  saved ")) == 1,
             qPrintable(ran.out + ran.err));
    QCOMPARE(ran.err.count(QStringLiteral(": device error E2 (overrun error): Socket Over run\n")),
             1);
    QCOMPARE(ran.err.count(QStringLiteral(": disconnected: ")), 1);
    QCOMPARE(QDir(folder.path()).entryList({"fleet-*.dat"}).size(), 1);
}

// The time left follows the pace so far; nothing is promised before the first step.
void TestZevctl::progressLine() {
    QCOMPARE(progressText(0, 280, 400),
             QStringLiteral("[..............................]   0 %  0:00 elapsed  -:-- left"));
    QCOMPARE(progressText(140, 280, 91000),
             QStringLiteral("[###############...............]  50 %  1:31 elapsed  1:31 left"));
}

QTEST_GUILESS_MAIN(TestZevctl)
#include "tst_zevctl.moc"
