#include "core/FileReplacement.h"
#include "core/ShiftJisText.h"
#include "ctl/DeviceSession.h"
#include "ctl/Zevctl.h"
#include "document/DatFile.h"
#include "document/GlyphFile.h"
#include "sim/Device.h"
#include "sim/TcpDeviceClients.h"
#include "sim/TcpDeviceServer.h"
#include "support/Files.h"
#include "support/ShowDocument.h"
#ifdef ZEV_SIM_POSIX
#include "sim/SerialDeviceBus.h"
#endif

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
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
    QObject::connect(&device.sender, &CommandSender::exchangeFinished, check, next,
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

QByteArray datBytes(const SettingsDocument& document) {
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    writeDatFile(file, document);
    return file.data();
}

// A port that nothing listens on (as long as nobody takes it meanwhile).
quint16 freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost) ? probe.serverPort() : 0;
}

} // namespace

class TestZevctl : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(device_.listen());
        whole_ = writeDocument(folder_, SettingsDocument());
        const QByteArray bytes = fileBytes(whole_);
        empty_ = folder_.filePath(QStringLiteral("empty.dat"));
        writeFile(empty_, "");
        cut_ = folder_.filePath(QStringLiteral("cut.dat"));
        writeFile(cut_, bytes.chopped(2)); // line 784 without its line end
        auto unsendable = std::make_unique<SettingsDocument>();
        unsendable->titleTexts[70].assign("AB");
        unsendable_ = writeDocument(folder_, *unsendable, QStringLiteral("unsendable.dat"));
    }

    // Each command's line byte for byte, to the device by its address or its name.
    void commandsReachTheDeviceOverTcp_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("host");
        const auto row = [](const char* name, const QStringList& arguments, const QByteArray& line,
                            const QString& host = QStringLiteral("127.0.0.1")) {
            QTest::newRow(name) << arguments << line << host;
        };
        row("page auto", {"page", "0", "auto"}, "P01TAS");
        row("host name", {"page", "1T", "2"}, "P01T02", QStringLiteral("localhost"));
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
        QFETCH(QString, host);
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        const QString device = QStringLiteral("%1:%2").arg(host).arg(server.serverPort());
        const Ran ran = zevctl(QStringList{"--tcp", device} + arguments);
        QCOMPARE(int(ran.code), 0);
        QCOMPARE(server.device()->receivedLines(), QList<QByteArray>{line});
        QCOMPARE(ran.out + ran.err, device + QStringLiteral(": ok GO: Socket ＯＫ\n"));
    }

    // Whatever happens, a script gets one JSON object with the exit code, and nothing else.
    void everyWayOutIsOneJsonObject_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("error");
        const QStringList tcp = tcpTo(device_);
        const QString port = QString::number(freePort());
        const auto row = [](const char* name, const QStringList& arguments, int exitCode,
                            const QString& command, const QString& error) {
            QTest::newRow(name) << arguments << exitCode << command << error;
        };
        row("unknown option", {"--bogus", "page", "1T", "1"}, 2, "", "Unknown option 'bogus'");
        row("no command", {}, 2, "", "no command");
        row("bad argument", tcp + QStringList{"page", "3T", "1"}, 2, "page", "bad area");
        row("empty document", tcp + QStringList{"send-all", empty_}, 2, "send-all",
            "line 1 is missing");
        row("cut document", {"titles", "export", cut_}, 2, "titles", "line 784 has no line end");
        row("unsendable title", tcp + QStringList{"send-all", unsendable_}, 2, "send-all",
            "nothing sent");
        row("refused connection", {"--tcp", "127.0.0.1:" + port, "page", "1T", "1"}, 3, "page",
            "cannot connect to the device");
        row("no device in time", {"--listen", "127.0.0.1:" + port, "--wait", "0", "verify", whole_},
            3, "verify", "0 of 1 devices connected within 0 s");
        row("address of another computer", {"--listen", "192.0.2.1:" + port, "page", "1T", "1"}, 3,
            "page", "cannot listen on 192.0.2.1:" + port);
        row("no serial port", {"--serial", "/nonexistent/tty", "page", "1T", "1"}, 3, "page",
            "cannot open the serial port");
        row("device refuses", tcp + QStringList{"send", "CWL9"}, 1, "send", "");
        row("new document", {"new", folder_.filePath(QStringLiteral("new.dat"))}, 0, "new", "");
        row("title table", {"titles", "export", whole_}, 0, "titles", "");
    }

    void everyWayOutIsOneJsonObject() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, command);
        QFETCH(QString, error);
        const Ran ran = zevctl(QStringList{"--json"} + arguments);
        QCOMPARE(int(ran.code), exitCode);
        QCOMPARE(ran.err, QString());
        const QJsonDocument report = QJsonDocument::fromJson(ran.out.toUtf8());
        QVERIFY2(report.isObject(), qPrintable(ran.out));
        QCOMPARE(report["exitCode"].toInt(-1), exitCode);
        QCOMPARE(report["command"].toString(), command);
        QVERIFY(report["devices"].isArray());
        QVERIFY2(error.isEmpty() ? report["error"].isUndefined()
                                 : report["error"].toString().contains(error),
                 qPrintable(ran.out));
    }

    // A file that is not whole sends nothing and changes nothing, for every command that reads
    // one, and the line that is missing or wrong is named.
    void onlyWholeDocumentsAreUsed_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        const QByteArray whole = fileBytes(whole_);
        const auto withLine = [&whole](int number, const QByteArray& line) {
            QList<QByteArray> lines = whole.split('\n');
            lines[number - 1] = line + '\r';
            return lines.join('\n');
        };
        QTest::newRow("empty") << QByteArray() << "line 1 is missing";
        QTest::newRow("cut short")
            << whole.first(600 * 3) << "line 601 is missing: the file ends after 600 of its 784";
        QTest::newRow("two values on a line")
            << withLine(5, "1 1") << "line 5: a title display flag 0 or 1 is expected, not \"1 1\"";
        QTest::newRow("switching time out of range")
            << withLine(300, "150") << "line 300: a switching time 0 to 99 is expected";
        QTest::newRow("no title") << withLine(600, "") << "line 600: a title";
        QTest::newRow("a line more") << whole + "7\r\n"
                                     << "line 785: the file goes on";
    }

    void onlyWholeDocumentsAreUsed() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        const QString dat = folder_.filePath(QStringLiteral("damaged.dat"));
        writeFile(dat, bytes);
        const QString tsv = folder_.filePath(QStringLiteral("titles.tsv"));
        writeFile(tsv, "1T\t1\t朝\n");
        device_.device()->clearRecords();
        for (const QStringList& command :
             {tcpTo(device_) + QStringList{"send-all", dat},
              tcpTo(device_) + QStringList{"verify", dat}, QStringList{"titles", "export", dat},
              QStringList{"titles", "import", dat, tsv}}) {
            const Ran ran = zevctl(command);
            QCOMPARE(int(ran.code), 2);
            QVERIFY2(ran.err.contains(problem), qPrintable(ran.err));
            QCOMPARE(ran.out, QString());
        }
        QVERIFY(device_.device()->receivedLines().isEmpty());
        QCOMPARE(fileBytes(dat), bytes);
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
            {{"verify", damaged}, "line 1: a title display flag 0 or 1 is expected"},
            {{"glyph-read", "1", folder.filePath("glyph.txt")}, "外字登録番号"},
            {{"send-all", "--white", "4", damaged}, "bad --white \"4\""},
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
        QVERIFY(zevctl({"--version"}).out.startsWith("zevctl 1."));
        // The file is the read-back's from its start: what a killed run left beside it goes.
        const QString readBack = folder.filePath("read.dat");
        writeFile(readBack + ".zev530tq-new", "half of a killed read-back");
        QCOMPARE(int(zevctl({"--serial", "/nonexistent/tty", "read-back", readBack}).code), 3);
        QVERIFY(!QFileInfo::exists(readBack + ".zev530tq-new"));
    }

    // A glyph read that gets no answer ends as such; the one after it goes on.
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
        device.sender.setTcpReplyTimeout(100);
        const ExchangeResult lost = readGlyph();
        QCOMPARE(lost.outcome, Outcome::NoAnswer);
        QVERIFY(lost.messages.first().startsWith(QStringLiteral("Answer が､きません")));
        QCOMPARE(device.sender.exchange().glyphReadPending, 0);
        QVERIFY(readGlyph().reply.startsWith("FBMBA65"));
    }

    // A device that accepts the connection and never answers stops send-all at its real pace
    // within one reply wait of its first line, not after the whole run.
    void silentDeviceStopsSendAll() {
        sim::TcpDeviceServer server;
        QVERIFY(server.listen());
        server.device()->ignoreNext(1000);
        QElapsedTimer clock;
        clock.start();
        const Ran ran = zevctl(tcpTo(server) + QStringList{"send-all", whole_}, {false, {}});
        QCOMPARE(int(ran.code), 3);
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(ran.err.contains("no answer"), qPrintable(ran.err));
        QVERIFY(server.device()->receivedLines().size() <= 8);
    }

    // Every other byte of the file is kept; an unsendable title is named and nothing is written,
    // unless told to skip it.
    void titlesRoundTripKeepsTheRestOfTheFile() {
        QTemporaryDir folder;
        // A script starts from the program's New: every page shown for 2 s, page 1, position 7.
        const QString fresh = folder.filePath(QStringLiteral("new.dat"));
        QCOMPARE(int(zevctl({"new", fresh}).code), 0);
        QCOMPARE(fileBytes(fresh),
                 QByteArray("1\r\n").repeated(256) + QByteArray("2\r\n").repeated(256) +
                     QByteArray("0\r\n").repeated(12) + QByteArray("s\r\n").repeated(256) +
                     QByteArray("7\r\n").repeated(4));
        QCOMPARE(int(zevctl({"new", fresh}).code), 2);
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
        GlyphSample glyph = GlyphBitmap::filledGlyphSample();
        for (int digit = 0; digit < glyphDigitCount; ++digit)
            glyph[std::size_t(digit)] = "0123456789ABCDEF"[digit % 16];
        const QString sent = folder.filePath(QStringLiteral("sent.txt"));
        const QString read = folder.filePath(QStringLiteral("read.txt"));
        QVERIFY(replaceFile(sent, [&](QIODevice& file) { return writeGlyphFile(file, glyph); }));
        QCOMPARE(int(zevctl(tcpTo(server) + QStringList{"glyph-register", "27", sent}).code), 0);
        QCOMPARE(int(zevctl(settings + QStringList{"glyph-read", "27", read}).code), 0);
        QCOMPARE(
            server.device()->receivedLines(),
            (QList<QByteArray>{"GR27" + QByteArray(glyph.data(), glyphDigitCount), "RFBMBB21"}));
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
        // As the level dialog starts, not the file's own (2 and 2, read back some day).
        QCOMPARE(lines.mid(264, 2), (QList<QByteArray>{"CWL1", "CEL1"}));
        QCOMPARE(lines.last(), QByteArray("P02B64"));

        ran = zevctl(link + QStringList{"verify", dat}, {true, driveTicks});
        QVERIFY2(ran.code == ExitCode::Ok, qPrintable(ran.err));
        QVERIFY2(ran.err.contains(QStringLiteral("100 %")), qPrintable(ran.err));
        const QString readBack = folder.filePath(QStringLiteral("device.dat"));
        QCOMPARE(int(zevctl(link + QStringList{"read-back", readBack}).code), 0);
        document->whiteLevel = 1;
        document->edgeLevel = 1;
        QCOMPARE(fileBytes(readBack), datBytes(*document));

        // 1T page 2 holds the NEC form of ∪ (2D7C); the JIS form (215A) reads the same as text.
        const QByteArray codes = "2D35%1792121217C717C7E74262341" + QByteArray("2121").repeated(6);
        device->respond("CT01T02" + QByteArray(codes).replace("%1", "215A") + "\r\n");
        device->respond("CTDPO01B03\r\n");
        ran = zevctl(link + QStringList{"--json", "verify", "--levels", "--white", "3", dat});
        QCOMPARE(int(ran.code), 1);
        const QJsonValue only = QJsonDocument::fromJson(ran.out.toUtf8())["devices"][0];
        QCOMPARE(only["result"].toString(), "differs");
        QCOMPARE(only["details"].toArray().toVariantList(),
                 (QVariantList{QStringLiteral("1T page 2 title: JIS 2D35 2D7C 7921 2121 7C71 7C7E "
                                              "7426 2341 in the file, JIS 2D35 215A 7921 2121 "
                                              "7C71 7C7E 7426 2341 on the device"),
                               QStringLiteral("1B position: 15 in the file, 3 on the device"),
                               QStringLiteral("white level: 3 expected, 1 on the device")}));
        device->respond("CT01T02" + QByteArray(codes).replace("%1", "2D7C") + "\r\n");

        // A request lost at the run's own pace: the differing field was never read, so no pass.
        TargetDevice* reading = nullptr;
        QObject losing;
        connect(device, &sim::Device::lineReceived, &losing, [&](const QByteArray& line) {
            if (line != "RCT01T01")
                return;
            device->ignoreNext(1);
            QMetaObject::invokeMethod(reading->run(), &TransferPacer::tick, Qt::QueuedConnection);
        });
        device->respond("CT01T01" + QByteArray("3021").repeated(14) + "\r\n");
        ran = zevctl(link + QStringList{"verify", dat}, {false, [&](TargetDevice& target) {
                                                             reading = &target;
                                                             driveTicks(target);
                                                         }});
        // Answers come in order: the next title's answer now stands where the lost one was.
        QCOMPARE(int(ran.code), 1);
        QVERIFY2(ran.err.contains(QStringLiteral("unexpected reply")), qPrintable(ran.err));
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
        const quint16 port = freePort();
        sim::TcpDeviceClients clients(3);
        clients.setReconnectInterval(20);
        clients.connectToProgram(QStringLiteral("127.0.0.1"), port);
        const QStringList listen{"--listen", QString::number(port), "--devices", "3"};
        const QStringList page{"--target", "1,127.0.0.1,2,3", "page", "1B", "7"};
        QCOMPARE(int(zevctl(listen + page).code), 0);
        for (int index = 0; index < 3; ++index)
            QCOMPARE(clients.device(index)->receivedLines(), QList<QByteArray>{"P01B07"});

        clients.device(1)->refuseNext(1, "E2");
        quint16 wholePort = 0;
        connect(clients.device(0), &sim::Device::lineReceived, this,
                [&] { wholePort = clients.localPort(0); });
        connect(clients.device(2), &sim::Device::lineReceived, this, [&] {
            if (clients.device(2)->receivedLines().size() == 41)
                clients.disconnectDevice(2);
        });
        QTemporaryDir folder;
        Ran ran = zevctl(listen + QStringList{"read-back", folder.filePath("fleet.dat")});
        QCOMPARE(int(ran.code), 3);
        QCOMPARE(clients.device(0)->receivedLines().size(), 279);
        QCOMPARE(clients.device(1)->receivedLines(), (QList<QByteArray>{"P01B07", "RAST01B"}));
        QCOMPARE(clients.device(2)->receivedLines().size(), 41);
        QCOMPARE((QList<qsizetype>{ran.out.count(QStringLiteral(": ok: Read ＯＫ\n  saved ")),
                                   ran.err.count(QStringLiteral(
                                       ": device error E2 (overrun error): Socket Over run\n")),
                                   ran.err.count(QStringLiteral(": disconnected: "))}),
                 (QList<qsizetype>{1, 1, 1}));
        // Named by the device, not by the order in which the devices happened to connect.
        QCOMPARE(QDir(folder.path()).entryList({"fleet-*.dat"}),
                 QStringList{QStringLiteral("fleet-127.0.0.1-%1.dat").arg(wholePort)});

        // One device short: the three are driven, and the fleet is not whole.
        const QStringList four{"--listen", QString::number(port), "--devices", "4", "--wait", "1"};
        ran = zevctl(four + QStringList{"--json", "page", "1B", "7"});
        QCOMPARE(int(ran.code), 3);
        const QJsonDocument report = QJsonDocument::fromJson(ran.out.toUtf8());
        QCOMPARE(report["error"].toString(), "3 of 4 devices connected within 1 s");
        QCOMPARE(ran.out.count(QStringLiteral("\"result\": \"ok\"")), 3);
    }

    // Connections that close at once (a port scan, a health check) are no devices: 200 of them,
    // each closed before it is accepted, then the two devices; each of those gets the line.
    void connectionsClosedAtOnceAreNoDevices() {
        const quint16 port = freePort();
        sim::TcpDeviceClients clients(2);
        int closed = 0;
        // In batches that the server takes in one go; two of them at most wait for it at once,
        // fewer than the system holds for it.
        std::function<void()> connectAndClose = [&] {
            for (int batch = 0; batch < 40; ++batch, ++closed) {
                QTcpSocket probe;
                probe.connectToHost(QHostAddress::LocalHost, port);
                // On the loopback the system makes the connection at once, accepted or not.
                if (probe.waitForConnected(1000))
                    probe.disconnectFromHost();
            }
            if (closed < 200)
                QTimer::singleShot(0, this, connectAndClose);
            else
                clients.connectToProgram(QStringLiteral("127.0.0.1"), port);
        };
        QTimer::singleShot(0, this, connectAndClose);
        const Ran ran = zevctl({"--listen", QString::number(port), "--devices", "2", "--wait", "10",
                                "page", "1T", "1"});
        QCOMPARE(int(ran.code), 0);
        QCOMPARE(closed, 200);
        for (int index = 0; index < 2; ++index)
            QCOMPARE(clients.device(index)->receivedLines(), QList<QByteArray>{"P01T01"});
    }

    // Listening on 127.0.0.1 takes no connection to another address of the computer (on Linux
    // and Windows the whole of 127.0.0.0/8 is this computer).
    void listensOnTheGivenAddressOnly() {
        const quint16 port = freePort();
        QTcpSocket stranger;
        sim::TcpDeviceClients clients(1);
        QTimer::singleShot(0, this, [&] {
            stranger.connectToHost(QHostAddress(QStringLiteral("127.0.0.2")), port);
            stranger.waitForConnected(1000); // refused at once, or connected
            clients.connectToProgram(QStringLiteral("127.0.0.1"), port);
        });
        const Ran ran =
            zevctl({"--listen", "127.0.0.1:" + QString::number(port), "page", "1T", "1"});
        QCOMPARE(stranger.error(), QAbstractSocket::ConnectionRefusedError);
        QCOMPARE(int(ran.code), 0);
        QCOMPARE(clients.device(0)->receivedLines(), QList<QByteArray>{"P01T01"});
    }

    // A reply that holds an escape sequence reaches the terminal escaped, never as it is.
    void controlCharactersFromADeviceAreShownEscaped() {
        QTcpServer device;
        QVERIFY(device.listen(QHostAddress::LocalHost));
        connect(&device, &QTcpServer::newConnection, this, [&device] {
            QTcpSocket* socket = device.nextPendingConnection();
            connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                socket->readAll();
                socket->write("\x1B]2;owned\x07GO\x9B\r\n");
            });
        });
        const Ran ran = zevctl(
            {"--tcp", QStringLiteral("127.0.0.1:%1").arg(device.serverPort()), "send", "CWL1"});
        const QString shown = ran.out + ran.err;
        QVERIFY2(shown.contains(QStringLiteral("\\x1B]2;owned\\x07GO\\x9B")), qPrintable(shown));
        QVERIFY(!shown.contains(QChar(0x1B)) && !shown.contains(QChar(0x9B)));
    }

private:
    QTemporaryDir folder_;
    sim::TcpDeviceServer device_; // what the tests that send nothing would send to
    QString whole_;               // the program's new document
    QString empty_;
    QString cut_;
    QString unsendable_; // a whole document with a title that cannot be sent
};

QTEST_GUILESS_MAIN(TestZevctl)
#include "tst_zevctl.moc"
