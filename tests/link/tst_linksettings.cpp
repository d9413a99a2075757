#include "core/AppState.h"
#include "link/HostList.h"
#include "link/LinkSettings.h"
#include "support/Files.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The times zev530tq.ini was put in place (created or renamed onto its name) since the last
// call, as the kernel reports them to the watch fd.
int settingsFileReplacements(int watch) {
    int count = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t size; (size = read(watch, buffer, sizeof buffer)) > 0;) {
        for (const char* at = buffer; at < buffer + size;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            count += event->len > 0 && qstrcmp(event->name, "zev530tq.ini") == 0;
            at += sizeof(inotify_event) + event->len;
        }
    }
    return count;
}

using Octets = std::array<std::uint8_t, 4>;

} // namespace

class LinkSettingsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> folder_;
    QString path_;

private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        path_ = QDir(folder_->path()).filePath("zev530tq.ini");
    }

    // A file as Windows leaves it, one line in LF: every key is written in place with the line
    // end of most lines, the rest kept byte for byte.
    void windowsFileReadWrittenAndReadBack() {
        writeFile(path_,
                  "; ZEV-530TQ link settings\n[Other_Section]\r\ncom_port=5\r\n\r\n"
                  "[zev-530tq_section]\r\n  Interface = 1 \r\nCOM_PORT=3\r\n;rs_control=1\r\n"
                  "port_number = \"00123\"\r\nlist_count=1\r\n"
                  "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\ncom_port=4\r\n\r\n"
                  "[After]\r\nInterface=0\r\n");
        ProfileFile file(path_);
        AppState state;
        loadLinkSettings(state.link, file);
        QCOMPARE(state.link.rs485Mode, Rs485Mode::Rs232c);
        state.link.rs485Mode = Rs485Mode::Rs485;
        state.link.tcpRole = TcpRole::Server;
        state.link.selectedConnection = 2;
        state.link.hostCount = 101;
        state.link.hostAddresses[100] = {10, 0, 0, 5};
        const LinkConfiguration& link = state.link;
        QVERIFY(writeInterfaceKind(file, link) && writeComPort(file, link) &&
                writeRs485Mode(file, link) && writeTcpRole(file, link) &&
                writePortNumber(file, link) && writeSelectedConnection(file, link) &&
                writeHostList(file, link, 100));
        const QByteArray hundredth = "ip:0_0=10\r\nip:0_1=0\r\nip:0_2=0\r\nip:0_3=5\r\n";
        QCOMPARE(fileBytes(path_),
                 "; ZEV-530TQ link settings\n[Other_Section]\r\ncom_port=5\r\n\r\n"
                 "[zev-530tq_section]\r\nInterface=1\r\ncom_port=3\r\n;rs_control=1\r\n"
                 "port_number=00123\r\nlist_count=101\r\n"
                 "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\ncom_port=4\r\n"
                 "rs_control=1\r\nClientServer=1\r\nselect_number=2\r\n" +
                     hundredth + "\r\n[After]\r\nInterface=0\r\n");

        AppState read;
        loadLinkSettings(read.link, file);
        QCOMPARE(read.link.hostAddresses[100], state.link.hostAddresses[100]);
    }

    // An earlier version's "ip=…" lines of host 130 disturb no other host and go at the next
    // save; hosts 130 to 139 then read back, and saving again does not grow the file.
    void hostsBeyond129ReadBackAndTheFileStopsGrowing() {
        QByteArray old = "[ZEV-530TQ_Section]\r\nlist_count=141\r\n"
                         "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n";
        old += QByteArray("ip=0_0=10\r\nip=0_1=0\r\nip=0_2=0\r\nip=0_3=130\r\n").repeated(3);
        old += "ip>0_0=10\r\nip>0_1=0\r\nip>0_2=0\r\nip>0_3=140\r\n";
        writeFile(path_, old);
        ProfileFile file(path_);
        AppState state;
        loadLinkSettings(state.link, file);
        QCOMPARE(state.link.hostAddresses[0], (Octets{192, 168, 1, 10}));
        QCOMPARE(state.link.hostAddresses[140], (Octets{10, 0, 0, 140}));

        state.link.hostAddresses[130] = {10, 0, 0, 130};
        state.link.hostAddresses[139] = {10, 0, 0, 139};
        QVERIFY(writeHostList(file, state.link, 130));
        const QByteArray saved = fileBytes(path_);
        QVERIFY(!saved.contains("ip="));
        QVERIFY(writeHostList(file, state.link, 130));
        QCOMPARE(fileBytes(path_), saved);
        AppState read;
        loadLinkSettings(read.link, file);
        QCOMPARE(read.link.hostAddresses, state.link.hostAddresses);
    }

    // Adding, deleting or choosing a host is one save: a crash cannot leave a wrong count.
    void hostListChangeIsOneSave() {
        ProfileFile file(path_);
        AppState state;
        HostList hosts(state.link, file);
        const int watch = inotify_init1(IN_NONBLOCK);
        const auto closeWatch = qScopeGuard([watch] { close(watch); });
        inotify_add_watch(watch, QFile::encodeName(folder_->path()).constData(),
                          IN_CREATE | IN_MOVED_TO);
        for (std::uint8_t host = 1; host <= 3; ++host)
            QVERIFY(hosts.add({10, 0, 0, host}));
        QCOMPARE(settingsFileReplacements(watch), 3);
        QVERIFY(hosts.remove(0) && hosts.choose(1));
        QVERIFY(!hosts.remove(2) && !hosts.choose(2)); // no such host: nothing saved
        QCOMPARE(settingsFileReplacements(watch), 2);
        AppState read;
        loadLinkSettings(read.link, file);
        QCOMPARE(read.link.hostCount, 2);
        QCOMPARE(read.link.hostAddresses[1], (Octets{10, 0, 0, 3}));
        QCOMPARE(read.link.selectedConnection, 1);
    }

    // A file that cannot be read (a pipe would hold the reader) is never replaced: a write
    // would keep nothing but its own key. The operator's report: tst_choicedialogs.
    void unreadableFileIsNeverReplaced() {
        AppState state;
        QVERIFY(mkfifo(QFile::encodeName(path_).constData(), 0600) == 0);
        ProfileFile pipe(path_);
        loadLinkSettings(state.link, pipe);
        QVERIFY(!writeComPort(pipe, state.link) && !QFileInfo(path_).isFile());
    }

    // Numbers read as far as they go, octets cut to 8 bits, room for 256 hosts.
    void loadConvertsLikeTheWindowsProgram() {
        writeFile(path_, "[ZEV-530TQ_Section]\r\ncom_port=1x\r\nlist_count=1000\r\n"
                         "ip00_0=300\r\nip00_1=-1\r\nipI5_0=9\r\n");
        AppState state;
        loadLinkSettings(state.link, ProfileFile(path_));
        QCOMPARE(state.link.comPortIndex, 1);
        QCOMPARE(state.link.hostAddresses[0], (Octets{44, 255, 0, 0}));
        QCOMPARE(state.link.hostCount, 256);
        QCOMPARE(state.link.hostAddresses[255][0], std::uint8_t(9));
    }
};

QTEST_GUILESS_MAIN(LinkSettingsTest)
#include "tst_linksettings.moc"
