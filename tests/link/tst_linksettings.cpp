#include "app/AppState.h"
#include "link/LinkSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

using Octets = std::array<std::uint8_t, 4>;

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// As the Windows profile functions and a text editor on Windows leave the file.
const QByteArray windowsFile = "; ZEV-530TQ link settings\r\n"
                               "[Other_Section]\r\n"
                               "com_port=5\r\n"
                               "\r\n"
                               "[zev-530tq_section]\r\n"
                               "  Interface = 1 \r\n"
                               "COM_PORT=3\r\n"
                               ";rs_control=1\r\n"
                               "port_number = \"00123\"\r\n"
                               "list_count=1\r\n"
                               "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n"
                               "com_port=4\r\n"
                               "\r\n"
                               "[After]\r\n"
                               "Interface=0\r\n";

} // namespace

class LinkSettingsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder_;
    QString path_;

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        path_ = linkSettingsFile(ConfigFolder(folder_->path())).path();
        QCOMPARE(path_, QDir(folder_->path()).filePath("zev530tq.ini"));
    }

    void readsWindowsFile() {
        writeFile(path_, windowsFile);
        const ProfileFile file(path_);
        QCOMPARE(file.readString("Other_Section", "COM_Port", "0"), QByteArray("5"));
        QCOMPARE(file.readString("ZEV-530TQ_Section", "rs_control", "x"), QByteArray("x"));
        QCOMPARE(file.readString("Missing", "com_port", "7"), QByteArray("7"));

        AppState state;
        loadLinkSettings(state, file);
        QCOMPARE(state.interfaceKind, 1);
        QCOMPARE(state.comPortIndex, 3); // the first of two keys counts
        QCOMPARE(state.rs485Mode, 0);
        QCOMPARE(state.portNumberText.view(), QByteArrayView("00123"));
        QCOMPARE(state.hostCount, 1);
        QCOMPARE(state.hostAddresses[0], (Octets{192, 168, 1, 10}));
    }

    void writeKeepsEveryOtherLine() {
        writeFile(path_, windowsFile);
        ProfileFile file(path_);
        QVERIFY(file.writeString("ZEV-530TQ_Section", "com_port", "2"));
        QByteArray expected = windowsFile;
        expected.replace("COM_PORT=3\r\n", "com_port=2\r\n");
        QCOMPARE(fileBytes(path_), expected);
        // Replaced whole: no temporary file is left beside it.
        QCOMPARE(QDir(folder_->path()).entryList(QDir::Files), QStringList{"zev530tq.ini"});

        // New keys go after the section's last line, in order, once each.
        QVERIFY(file.writeStrings(
            "ZEV-530TQ_Section",
            {{"ip01_0", "10"}, {"list_count", "2"}, {"ip01_1", "9"}, {"IP01_0", "11"}}));
        expected.replace("list_count=1\r\n", "list_count=2\r\n");
        expected.replace("com_port=4\r\n", "com_port=4\r\nIP01_0=11\r\nip01_1=9\r\n");
        QCOMPARE(fileBytes(path_), expected);
    }

    void writeCreatesFolderFileAndSection() {
        ProfileFile created(folder_->filePath("config/zev530tq.ini"));
        QVERIFY(created.writeString("ZEV-530TQ_Section", "Interface", "1"));
        QVERIFY(created.writeString("ZEV-530TQ_Section", "com_port", "2"));
        QCOMPARE(fileBytes(created.path()),
                 QByteArray("[ZEV-530TQ_Section]\r\nInterface=1\r\ncom_port=2\r\n"));

        writeFile(path_, "[Other]\nkey=1"); // Unix line ends, none at the close
        ProfileFile file(path_);
        QVERIFY(file.writeString("ZEV-530TQ_Section", "rs_control", "1"));
        QCOMPARE(fileBytes(path_),
                 QByteArray("[Other]\nkey=1\n[ZEV-530TQ_Section]\nrs_control=1\n"));
    }

    void decimalValue_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("trailing letter") << QByteArray("1x") << 1;
        QTest::newRow("letters") << QByteArray("abc") << 0;
        QTest::newRow("empty") << QByteArray("") << 0;
        QTest::newRow("blanks and minus") << QByteArray(" \t-12") << -12;
        QTest::newRow("plus") << QByteArray("+7") << 7;
        QTest::newRow("blank after sign") << QByteArray("- 5") << 0;
        QTest::newRow("too large") << QByteArray("99999999999999") << 2147483647;
    }

    void decimalValue() {
        QFETCH(QByteArray, text);
        QFETCH(int, expected);
        QCOMPARE(::decimalValue(text), expected);
    }

    void hostKey_data() {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("octet");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("first") << 0 << 0 << QByteArray("ip00_0");
        QTest::newRow("12") << 12 << 3 << QByteArray("ip12_3");
        QTest::newRow("100") << 100 << 0 << QByteArray("ip:0_0");
        QTest::newRow("255") << 255 << 3 << QByteArray("ipI5_3");
    }

    void hostKey() {
        QFETCH(int, entry);
        QFETCH(int, octet);
        QFETCH(QByteArray, expected);
        QCOMPARE(::hostKey(entry, octet), expected);
    }

    void defaultsWithoutFile() {
        AppState state;
        state.selectedConnection = 9;
        state.portNumberText.assign("1");
        loadLinkSettings(state, ProfileFile(path_));
        QCOMPARE(state.interfaceKind, 0);
        QCOMPARE(state.comPortIndex, 0);
        QCOMPARE(state.rs485Mode, 0);
        QCOMPARE(state.tcpRole, 0);
        QCOMPARE(state.portNumberText.view(), QByteArrayView("09004"));
        QCOMPARE(state.hostCount, 0);
        QCOMPARE(state.selectedConnection, 0);
        QVERIFY(!QFile::exists(path_)); // reading creates nothing
    }

    void loadConvertsLikeTheWindowsProgram() {
        writeFile(path_, "[ZEV-530TQ_Section]\r\n"
                         "com_port=1x\r\nrs_control=abc\r\nInterface=  1\r\nClientServer=7\r\n"
                         "port_number=0090045\r\nselect_number=-1\r\nlist_count=2\r\n"
                         "ip00_0=256\r\nip00_1=300\r\nip00_2=-1\r\nip00_3=12junk\r\n"
                         "ip01_0=10\r\nip01_1=0\r\nip01_2=0\r\nip01_3=5\r\n"
                         "ip02_0=1\r\nip02_1=2\r\nip02_2=3\r\nip02_3=4\r\n");
        AppState state;
        loadLinkSettings(state, ProfileFile(path_));
        QCOMPARE(state.comPortIndex, 1);
        QCOMPARE(state.rs485Mode, 0);
        QCOMPARE(state.interfaceKind, 1);
        QCOMPARE(state.tcpRole, 7); // not checked against its range
        QCOMPARE(state.portNumberText.view(), QByteArrayView("00900"));
        QCOMPARE(state.selectedConnection, -1);
        QCOMPARE(state.hostCount, 2);
        QCOMPARE(state.hostAddresses[0], (Octets{0, 44, 255, 12}));
        QCOMPARE(state.hostAddresses[1], (Octets{10, 0, 0, 5}));
        // Keys of an entry beyond list_count (left by a deletion) are not read.
        QCOMPARE(state.hostAddresses[2], (Octets{0, 0, 0, 0}));

        // The table has room for 256 hosts.
        writeFile(path_, "[ZEV-530TQ_Section]\nlist_count=1000\nipI5_0=9\n");
        loadLinkSettings(state, ProfileFile(path_));
        QCOMPARE(state.hostCount, 256);
        QCOMPARE(state.hostAddresses[255][0], std::uint8_t(9));
        writeFile(path_, "[ZEV-530TQ_Section]\nlist_count=-4\n");
        loadLinkSettings(state, ProfileFile(path_));
        QCOMPARE(state.hostCount, 0);
    }

    void writesAndReadsBackEveryKey() {
        AppState written;
        written.interfaceKind = 1;
        written.comPortIndex = 5;
        written.rs485Mode = 1;
        written.tcpRole = 1;
        written.portNumberText.assign("00080");
        written.selectedConnection = 1;
        written.hostCount = 101;
        written.hostAddresses[0] = {192, 168, 1, 10};
        written.hostAddresses[100] = {10, 0, 0, 5};

        ProfileFile file(path_);
        QVERIFY(writeInterfaceKind(file, written));
        QVERIFY(writeComPort(file, written));
        QVERIFY(writeRs485Mode(file, written));
        QVERIFY(writeTcpRole(file, written));
        QVERIFY(writePortNumber(file, written));
        QVERIFY(writeSelectedConnection(file, written));
        QVERIFY(writeHostCount(file, written));
        QVERIFY(writeHost(file, written, 0));
        QVERIFY(writeHost(file, written, 100));
        QVERIFY(!writeHost(file, written, 256));
        QCOMPARE(fileBytes(path_),
                 QByteArray("[ZEV-530TQ_Section]\r\n"
                            "Interface=1\r\ncom_port=5\r\nrs_control=1\r\n"
                            "ClientServer=1\r\nport_number=00080\r\n"
                            "select_number=1\r\nlist_count=101\r\n"
                            "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n"
                            "ip:0_0=10\r\nip:0_1=0\r\nip:0_2=0\r\nip:0_3=5\r\n"));

        AppState read;
        loadLinkSettings(read, file);
        QCOMPARE(read.interfaceKind, 1);
        QCOMPARE(read.comPortIndex, 5);
        QCOMPARE(read.rs485Mode, 1);
        QCOMPARE(read.tcpRole, 1);
        QCOMPARE(read.portNumberText.view(), QByteArrayView("00080"));
        QCOMPARE(read.selectedConnection, 1);
        QCOMPARE(read.hostCount, 101);
        QCOMPARE(read.hostAddresses, written.hostAddresses);
    }

    void deletionRewritesMovedHosts() {
        AppState state;
        state.hostCount = 3;
        state.hostAddresses[0] = {1, 1, 1, 1};
        state.hostAddresses[1] = {2, 2, 2, 2};
        state.hostAddresses[2] = {3, 3, 3, 3};
        ProfileFile file(path_);
        QVERIFY(writeHostCount(file, state));
        QVERIFY(writeHostsFrom(file, state, 0));

        // The client dialog deletes the first host: the others move down one place.
        state.hostAddresses[0] = state.hostAddresses[1];
        state.hostAddresses[1] = state.hostAddresses[2];
        state.hostCount = 2;
        QVERIFY(writeHostCount(file, state));
        QVERIFY(writeHostsFrom(file, state, 0));
        QVERIFY(writeHostsFrom(file, state, 2)); // deleting the last host moves nothing

        QCOMPARE(file.readString("ZEV-530TQ_Section", "ip02_0", ""), QByteArray("3")); // stays
        AppState read;
        loadLinkSettings(read, file);
        QCOMPARE(read.hostCount, 2);
        QCOMPARE(read.hostAddresses[0], (Octets{2, 2, 2, 2}));
        QCOMPARE(read.hostAddresses[1], (Octets{3, 3, 3, 3}));
        QCOMPARE(read.hostAddresses[2], (Octets{0, 0, 0, 0}));
    }
};

QTEST_GUILESS_MAIN(LinkSettingsTest)
#include "tst_linksettings.moc"
