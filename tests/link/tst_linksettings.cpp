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
                               "[Other_Section]\r\ncom_port=5\r\n\r\n"
                               "[zev-530tq_section]\r\n"
                               "  Interface = 1 \r\nCOM_PORT=3\r\n;rs_control=1\r\n"
                               "port_number = \"00123\"\r\nlist_count=1\r\n"
                               "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n"
                               "com_port=4\r\n\r\n"
                               "[After]\r\nInterface=0\r\n";

bool writeEveryKey(ProfileFile& file, const AppState& state) {
    return writeInterfaceKind(file, state) && writeComPort(file, state) &&
           writeRs485Mode(file, state) && writeTcpRole(file, state) &&
           writePortNumber(file, state) && writeSelectedConnection(file, state) &&
           writeHostCount(file, state) && writeHost(file, state, 0) && writeHost(file, state, 100);
}

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

    void windowsFileReadAndKept() {
        writeFile(path_, windowsFile);
        ProfileFile file(path_);
        QCOMPARE(file.readString("Other_Section", "COM_Port", "0"), QByteArray("5"));
        QCOMPARE(file.readString("Missing", "com_port", "7"), QByteArray("7"));
        AppState state;
        loadLinkSettings(state, file);
        QCOMPARE(state.interfaceKind, 1);
        QCOMPARE(state.comPortIndex, 3); // the first of two keys counts
        QCOMPARE(state.rs485Mode, 0);
        QCOMPARE(state.portNumberText.view(), QByteArrayView("00123"));
        QCOMPARE(state.hostCount, 1);
        QCOMPARE(state.hostAddresses[0], (Octets{192, 168, 1, 10}));

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

    void loadConvertsLikeTheWindowsProgram() {
        AppState state;
        state.selectedConnection = 9;
        state.portNumberText.assign("1");
        loadLinkSettings(state, ProfileFile(path_));
        QVERIFY(!QFile::exists(path_)); // reading creates nothing
        QCOMPARE(state.interfaceKind + state.comPortIndex + state.rs485Mode + state.tcpRole, 0);
        QCOMPARE(state.portNumberText.view(), QByteArrayView("09004"));
        QCOMPARE(state.hostCount + state.selectedConnection, 0);

        // Numbers are read as far as they go: "1x" is 1, "abc" is 0.
        writeFile(path_, "[ZEV-530TQ_Section]\r\n"
                         "com_port=1x\r\nrs_control=abc\r\nInterface=  +1\r\n"
                         "ClientServer=99999999999999\r\nport_number=0090045\r\n"
                         "select_number=-1\r\nlist_count=2\r\n"
                         "ip00_0=256\r\nip00_1=300\r\nip00_2=-1\r\nip00_3=12junk\r\n"
                         "ip01_0=10\r\nip01_1=- 5\r\nip01_2=\r\nip01_3=\t5\r\n"
                         "ip02_0=1\r\nip02_1=2\r\nip02_2=3\r\nip02_3=4\r\n");
        loadLinkSettings(state, ProfileFile(path_));
        QCOMPARE(state.comPortIndex, 1);
        QCOMPARE(state.rs485Mode, 0);
        QCOMPARE(state.interfaceKind, 1);
        QCOMPARE(state.tcpRole, 999999999); // nine characters, not checked against its range
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
        written.interfaceKind = written.rs485Mode = written.tcpRole = 1;
        written.comPortIndex = 5;
        written.portNumberText.assign("00080");
        written.selectedConnection = 2;
        written.hostCount = 101;
        written.hostAddresses[0] = {192, 168, 1, 10};
        written.hostAddresses[100] = {10, 0, 0, 5};
        ProfileFile file(folder_->filePath("config/zev530tq.ini")); // the folder is made too
        QVERIFY(writeEveryKey(file, written));
        QVERIFY(!writeHost(file, written, 256));
        QCOMPARE(fileBytes(file.path()),
                 QByteArray("[ZEV-530TQ_Section]\r\n"
                            "Interface=1\r\ncom_port=5\r\nrs_control=1\r\n"
                            "ClientServer=1\r\nport_number=00080\r\n"
                            "select_number=2\r\nlist_count=101\r\n"
                            "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n"
                            "ip:0_0=10\r\nip:0_1=0\r\nip:0_2=0\r\nip:0_3=5\r\n"));
        AppState read;
        loadLinkSettings(read, file);
        ProfileFile copy(path_);
        QVERIFY(writeEveryKey(copy, read));
        QCOMPARE(fileBytes(path_), fileBytes(file.path()));
        QCOMPARE(read.hostAddresses, written.hostAddresses);
    }
};

QTEST_GUILESS_MAIN(LinkSettingsTest)
#include "tst_linksettings.moc"
