#include "core/FileReplacement.h"
#include "ctl/DeviceSession.h"
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
    ExitCode code{};
    QString out, err;
};

// Takes a device's run over: its timer silenced, the next tick as soon as the answer to the line
// before has been acted on (or its wait has ended otherwise, which a slow check catches), so that
// a run of 280 steps takes no longer than its answers.
void driveTicks(TargetDevice& device) {
    device.run()->findChild<QTimer*>("runTimer")->blockSignals(true);
    auto* check = new QTimer(device.run());
    const auto next = [&device] {
        while (device.run()->isRunning() && !device.isWaiting())
            device.run()->tick();
    };
    QObject::connect(&device.sender.replies(), &ReplyHandler::replyHandled, check, next,
                     Qt::QueuedConnection);
    QObject::connect(check, &QTimer::timeout, next);
    check->start(20);
}

Ran zevctl(const QStringList& arguments, const ZevctlSetup& setup = {false, driveTicks}) {
    Ran ran;
    QTextStream out(&ran.out);
    QTextStream err(&ran.err);
    ran.code = runZevctl(QStringList{"zevctl"} + arguments, out, err, setup);
    return ran;
}

QStringList tcpTo(const sim::TcpDeviceServer& server) {
    return {"--tcp", QStringLiteral("127.0.0.1:%1").arg(server.serverPort())};
}

QString writeDocument(const QTemporaryDir& folder, const SettingsDocument& document,
                      const QString& name = QStringLiteral("show.dat")) {
    const QString dat = folder.filePath(name);
    return replaceFile(dat, [&](QIODevice& out) { return writeDatFile(out, document); }) ? dat : "";
}

} // namespace

class TestZevctl : public QObject {
    Q_OBJECT
private slots:
    // Each command's line byte for byte.
    void commandsReachTheDeviceOverTcp_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("line");
        const auto row = [](const char* name, const QStringList& arguments,
                            const QByteArray& line) { QTest::newRow(name) << arguments << line; };
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
        row("display", {"display", "2B", "64", "ON"}, "CTD02B64ON");
        row("switch time", {"switch-time", "1B", "9", "99"}, "AST01B0999");
        row("insert glyph", {"insert-glyph", "1B", "12", "5", "--position", "3"}, "G05C01B12I03");
    }

    void commandsReachTheDeviceOverTcp() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, line);
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        const Ran ran = zevctl(tcpTo(server) + arguments);
        QCOMPARE(int(ran.code), 0);
        QCOMPARE(server.device()->receivedLines(), QList<QByteArray>{line});
        QCOMPARE(ran.out + ran.err, tcpTo(server)[1] + QStringLiteral(": ok GO: Socket ＯＫ\n"));
    }

    // One case per rule; none of them reaches the link.
    void badInputChangesNothing() {
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        QTemporaryDir folder;
        const QString damaged = folder.filePath(QStringLiteral("damaged.dat"));
        writeFile(damaged, "garbage\r\n");
        const QList<std::pair<QStringList, QString>> cases{
            {{"page", "3T", "1"}, "bad area \"3T\""},
            {{"title", "1T", "1", "ABC"}, "半角文字は送れません"},
            {{"send", "P01\tT01"}, "printable ASCII"},
            {{"glyph-register", "1", "/nonexistent/glyph.txt"}, "cannot read the glyph file"},
            {{"verify", damaged}, "not a settings file: 1 行目"},
            {{"reboot"}, "unknown command \"reboot\""},
            {{"--listen", "9004", "page", "1T", "1"}, "choose one of"},
            {{"--traffic-log", "/dev/full", "page", "1T", "1"}, "No space left on device"}};
        for (const auto& [arguments, message] : cases) {
            const Ran ran = zevctl(tcpTo(server) + arguments);
            QCOMPARE(int(ran.code), 2);
            QVERIFY2(ran.err.contains(message), qPrintable(ran.err));
        }
        QCOMPARE(server.connectionCount(), 0);
        QVERIFY(server.device()->receivedLines().isEmpty());
        // A port that is not there is said once.
        const Ran ran = zevctl({"--serial", "/nonexistent/tty", "page", "1T", "1"});
        QCOMPARE(int(ran.code), 3);
        QCOMPARE(ran.err, "zevctl: cannot open the serial port /nonexistent/tty: no such device\n");
        // The file is the read-back's from its start: what a killed run left beside it goes.
        const QString readBack = folder.filePath("read.dat");
        writeFile(readBack + ".zev530tq-new", "half of a killed read-back");
        QCOMPARE(int(zevctl({"--serial", "/nonexistent/tty", "read-back", readBack}).code), 3);
        QVERIFY(!QFileInfo::exists(readBack + ".zev530tq-new"));
    }

    // The reply wait's end driven here; a glyph read after one that got no answer goes on.
    void noAnswerEndsTheWait() {
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        server.device()->ignoreNext(1);
        QTemporaryDir folder;
        DeviceSession session{ConfigFolder(folder.path())};
        LinkChoice choice;
        choice.kind = LinkKind::TcpClient;
        choice.host = QStringLiteral("127.0.0.1");
        choice.port = QString::number(server.serverPort());
        QCOMPARE(session.open(choice), QString());
        TargetDevice& device = *session.devices().front();
        const auto readGlyph = [&] {
            device.startExchange("RFBMBA65\r\n", true);
            session.waitForDevices();
            return device.result();
        };
        QTimer::singleShot(0, &device, [&] { device.sender.expireTcpReplyWait(); });
        const ExchangeResult lost = readGlyph();
        QCOMPARE(lost.outcome, Outcome::NoAnswer);
        QCOMPARE(lost.messages, QStringList{QStringLiteral("Answer が､きません")});
        QCOMPARE(device.sender.exchange().glyphReadPending, 0);
        QVERIFY(readGlyph().reply.startsWith("FBMBA65"));
    }

    // Every other byte of the file is kept; an unsendable title is named and nothing is written,
    // unless told to skip it.
    void titlesRoundTripKeepsTheRestOfTheFile() {
        QTemporaryDir folder;
        auto document = std::make_unique<SettingsDocument>();
        document->titleTexts[200].assign(*ShiftJisText::encode(QStringLiteral("天気予報")));
        document->autoSwitchTimes[1][5] = 42;
        const QString dat = writeDocument(folder, *document);
        const QByteArray before = fileBytes(dat);
        QStringList lines = zevctl({"titles", "export", dat}).out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 256);
        QCOMPARE(lines[200], QStringLiteral("2B\t9\t天気予報"));
        lines[200] = QStringLiteral("2B\t9\t雨のち晴れ");
        lines[65] = QStringLiteral("1B\t2\t晴れA");
        const QString tsv = folder.filePath(QStringLiteral("titles.tsv"));
        writeFile(tsv, lines.join('\n').toUtf8());
        const Ran ran = zevctl({"titles", "import", dat, tsv});
        QCOMPARE(int(ran.code), 2);
        QVERIFY2(ran.err.contains(QStringLiteral("1B page 2: 3文字目「A」")), qPrintable(ran.err));
        QCOMPARE(fileBytes(dat), before);
        QCOMPARE(int(zevctl({"titles", "import", dat, tsv, "--skip-bad"}).code), 0);
        document->titleTexts[200].assign(*ShiftJisText::encode(QStringLiteral("雨のち晴れ")));
        QCOMPARE(fileBytes(dat), fileBytes(writeDocument(folder, *document, "expected.dat")));
    }

    // A glyph file goes to the device and comes back the same from a read of its number (over
    // the link the program's settings file names); an answer that holds no glyph writes no file
    // and is no glyph read.
    void glyphRoundTrip() {
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("zev530tq.ini")),
                  "[ZEV-530TQ_Section]\r\nInterface=1\r\nlist_count=1\r\nip00_0=127\r\nip00_3=1\r\n"
                  "port_number=" +
                      QByteArray::number(server.serverPort()) + "\r\n");
        const QStringList settings{"--config-folder", folder.path()};
        GlyphSample glyph = AppState::filledGlyphSample();
        for (int digit = 0; digit < AppState::glyphDigitCount; ++digit)
            glyph[std::size_t(digit)] = "0123456789ABCDEF"[digit % 16];
        const QString sent = folder.filePath(QStringLiteral("sent.txt"));
        const QString read = folder.filePath(QStringLiteral("read.txt"));
        QVERIFY(replaceFile(sent, [&](QIODevice& file) { return writeGlyphFile(file, glyph); }));
        QCOMPARE(int(zevctl(tcpTo(server) + QStringList{"glyph-register", "27", sent}).code), 0);
        QCOMPARE(int(zevctl(settings + QStringList{"glyph-read", "27", read}).code), 0);
        QCOMPARE(server.device()->receivedLines(),
                 (QList<QByteArray>{"GR27" + QByteArray(glyph.data(), AppState::glyphDigitCount),
                                    "RFBMBB21"}));
        QCOMPARE(fileBytes(read), fileBytes(sent));
        server.device()->refuseNext(1, "FBM0");
        QCOMPARE(int(zevctl(settings + QStringList{"glyph-read", "27", read + ".none"}).code), 1);
        QVERIFY(!QFile::exists(read + ".none"));
    }

    // The whole document goes out at the program's steps, comes back the same (as a field check
    // and as the file a read-back writes), and a field changed on the device is named.
    void sendAllThenVerify_data() {
        QTest::addColumn<bool>("rs485");
        QTest::newRow("TCP") << false;
#ifdef ZEV_SIM_POSIX
        QTest::newRow("RS-485") << true;
#endif
    }

    void sendAllThenVerify() {
        QFETCH(bool, rs485);
        QTemporaryDir folder;
        const auto document = std::make_unique<SettingsDocument>();
        fillAwayFromDefaults(*document);
        const QString dat = writeDocument(folder, *document);
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        QStringList link = tcpTo(server);
        sim::Device* device = server.device();
#ifdef ZEV_SIM_POSIX
        sim::SerialDeviceBus bus({0, 5});
        const QString port = folder.filePath(QStringLiteral("line"));
        if (rs485) {
            QVERIFY(bus.open() && bus.linkSlave(port));
            link = QStringList{"--serial", port, "--rs485", "5"};
            device = bus.device(1);
        }
#endif

        Ran ran = zevctl(link + QStringList{"send-all", dat});
        QCOMPARE(int(ran.code), 0);
        const QList<QByteArray>& lines = device->receivedLines();
        QCOMPARE(lines.size(), 278);
        QCOMPARE(lines.mid(264, 2), (QList<QByteArray>{"CWL2", "CEL2"})); // the file's levels
        QCOMPARE(lines.last(), QByteArray("P02B64"));

        ran = zevctl(link + QStringList{"verify", dat}, {true, driveTicks});
        QVERIFY2(ran.code == ExitCode::Ok, qPrintable(ran.err));
        QVERIFY2(ran.err.contains(QStringLiteral("100 %")), qPrintable(ran.err));
        const QString readBack = folder.filePath(QStringLiteral("device.dat"));
        QCOMPARE(int(zevctl(link + QStringList{"read-back", readBack}).code), 0);
        QCOMPARE(fileBytes(readBack), fileBytes(dat));

        device->respond("CTDPO01B03\r\n");
        ran = zevctl(link + QStringList{"--json", "verify", dat});
        QCOMPARE(int(ran.code), 1);
        const QJsonValue only = QJsonDocument::fromJson(ran.out.toUtf8())["devices"][0];
        QCOMPARE(only["result"].toString(), "differs");
        QCOMPARE(only["details"].toArray().toVariantList(),
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
        ran = zevctl(link + QStringList{"verify", dat}, {false, [&](TargetDevice& target) {
                                                             reading = &target;
                                                             driveTicks(target);
                                                         }});
        QCOMPARE(int(ran.code), 3);
        QVERIFY2(ran.err.contains(QStringLiteral("1 of 278 settings did not come back")),
                 qPrintable(ran.err));
#ifdef ZEV_SIM_POSIX
        // A broadcast reaches every device on the line, the one that heard nothing before too,
        // though zevctl ends before the port has sent it.
        if (rs485) {
            QCOMPARE(int(zevctl({"--serial", port, "--broadcast", "page", "1T", "1"}).code), 0);
            QTRY_COMPARE(bus.device(0)->receivedLines(), QList<QByteArray>{"P01T01"});
            QCOMPARE(bus.device(1)->receivedLines().last(), QByteArray("P01T01"));
        }
#endif
    }

    // In the server role a device named twice, once by its address, gets one line; then three
    // devices, each on its own connection at its own pace: one reads back whole, one refuses a
    // line, one drops off the network; each gets its own summary.
    void serverRoleDrivesEveryDevice() {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 port = probe.serverPort();
        probe.close();
        sim::TcpDeviceClients clients(3);
        clients.setReconnectInterval(20);
        clients.connectToProgram(QStringLiteral("127.0.0.1"), port);
        const QStringList listen{"--listen", QString::number(port), "--devices", "3"};
        const QStringList page{"--target", "1,127.0.0.1,2,3", "page", "1B", "7"};
        QCOMPARE(int(zevctl(listen + page).code), 0);
        for (int index = 0; index < 3; ++index)
            QCOMPARE(clients.device(index)->receivedLines(), QList<QByteArray>{"P01B07"});

        clients.device(1)->refuseNext(1, "E2");
        connect(clients.device(2), &sim::Device::lineReceived, this, [&] {
            if (clients.device(2)->receivedLines().size() == 41)
                clients.disconnectDevice(2);
        });
        QTemporaryDir folder;
        const Ran ran = zevctl(listen + QStringList{"read-back", folder.filePath("fleet.dat")});
        QCOMPARE(int(ran.code), 3);
        QCOMPARE(clients.device(0)->receivedLines().size(), 279);
        QCOMPARE(clients.device(1)->receivedLines(), (QList<QByteArray>{"P01B07", "RAST01B"}));
        QCOMPARE(clients.device(2)->receivedLines().size(), 41);
        QCOMPARE((QList<qsizetype>{ran.out.count(QStringLiteral(": ok: Read ＯＫ\n  saved ")),
                                   ran.err.count(QStringLiteral(
                                       ": device error E2 (overrun error): Socket Over run\n")),
                                   ran.err.count(QStringLiteral(": disconnected: ")),
                                   QDir(folder.path()).entryList({"fleet-*.dat"}).size()}),
                 (QList<qsizetype>{1, 1, 1, 1}));
    }
};

QTEST_GUILESS_MAIN(TestZevctl)
#include "tst_zevctl.moc"
