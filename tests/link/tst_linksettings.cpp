#include "core/LinkConfiguration.h"
#include "core/ViewSettings.h"
#include "link/HostList.h"
#include "link/LinkSettings.h"
#include "link/ProfileFile.h"
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

LinkConfiguration loaded(const ProfileFile& file) {
    LinkConfiguration link;
    loadLinkSettings(link, file);
    return link;
}

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
                  "[zev-530tq_section]\r\n  Interface = 1 \r\nCOM_PORT=3\r\nlisted_hosts_only=1\r\n"
                  ";rs_control=1\r\n"
                  "port_number = \"00123\"\r\nlist_count=1\r\n"
                  "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\ncom_port=4\r\n\r\n"
                  "[After]\r\nInterface=0\r\n");
        ProfileFile file(path_);
        LinkConfiguration link = loaded(file);
        QCOMPARE(link.rs485Mode, Rs485Mode::Rs232c);
        QVERIFY(link.listedHostsOnly);
        link.rs485Mode = Rs485Mode::Rs485;
        link.tcpRole = TcpRole::Server;
        link.selectedConnection = 2;
        link.hostCount = 101;
        link.hostAddresses[100] = {10, 0, 0, 5};
        QVERIFY(writeInterfaceKind(file, link) && writeComPort(file, link) &&
                writeRs485Mode(file, link) && writeTcpRole(file, link) &&
                writePortNumber(file, link) && writeSelectedConnection(file, link) &&
                writeHostList(file, link, 100));
        const QByteArray hundredth = "ip:0_0=10\r\nip:0_1=0\r\nip:0_2=0\r\nip:0_3=5\r\n";
        QCOMPARE(fileBytes(path_),
                 "; ZEV-530TQ link settings\n[Other_Section]\r\ncom_port=5\r\n\r\n"
                 "[zev-530tq_section]\r\nInterface=1\r\ncom_port=3\r\nlisted_hosts_only=1\r\n"
                 ";rs_control=1\r\n"
                 "port_number=00123\r\nlist_count=101\r\n"
                 "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\ncom_port=4\r\n"
                 "rs_control=1\r\nClientServer=1\r\nselect_number=2\r\n" +
                     hundredth + "\r\n[After]\r\nInterface=0\r\n");
        QCOMPARE(loaded(file).hostAddresses[100], link.hostAddresses[100]);
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
        LinkConfiguration link = loaded(file);
        QCOMPARE(link.hostAddresses[0], (Octets{192, 168, 1, 10}));
        QCOMPARE(link.hostAddresses[140], (Octets{10, 0, 0, 140}));

        link.hostAddresses[130] = {10, 0, 0, 130};
        link.hostAddresses[139] = {10, 0, 0, 139};
        QVERIFY(writeHostList(file, link, 130));
        const QByteArray saved = fileBytes(path_);
        QVERIFY(!saved.contains("ip="));
        QVERIFY(writeHostList(file, link, 130));
        QCOMPARE(fileBytes(path_), saved);
        QCOMPARE(loaded(file).hostAddresses, link.hostAddresses);
    }

    // The text between reading and replacing the file: a key given twice in one write is one
    // line with the later value; a new section after a last line without its LF gives that
    // line the CR of the file's CR LF first; the first of two lines of one key is the one read.
    void editedTextKeepsEveryOtherByte() {
        ProfileText text("[a]\r\nK=1\r\nk=2\r\n\r\n[b]\r\nx=1");
        QCOMPARE(text.section("A").value("k", "none"), "1");
        text.setValues("a", {{"y", "1"}, {"Y", "2"}, {"k", "3"}});
        text.setValues("c", {{"z", "1"}});
        const QByteArray edited = "[a]\r\nk=3\r\nk=2\r\nY=2\r\n\r\n[b]\r\nx=1\r\n[c]\r\nz=1\r\n";
        QCOMPARE(text.toBytes(), edited);
        const ProfileSection a = ProfileText(edited).section("a");
        QCOMPARE(a.value("K", "none"), "3");
        QCOMPARE(a.value("y", "none"), "2");
        QCOMPARE(a.value("z", "none"), "none");
        text.removeLines("A", {"K="});
        QCOMPARE(text.toBytes(), "[a]\r\nY=2\r\n\r\n[b]\r\nx=1\r\n[c]\r\nz=1\r\n");
    }

    // Adding, deleting or choosing a host is one save: a crash cannot leave a wrong count.
    void hostListChangeIsOneSave() {
        ProfileFile file(path_);
        LinkConfiguration link;
        HostList hosts(link, file);
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
        const LinkConfiguration read = loaded(file);
        QCOMPARE(read.hostCount, 2);
        QCOMPARE(read.hostAddresses[1], (Octets{10, 0, 0, 3}));
        QCOMPARE(read.selectedConnection, 1);
    }

    void viewSettingsReadAndWritten_data() {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<bool>("successBoxes");
        QTest::addColumn<QRect>("place"); // null: none
        QTest::newRow("a file of before") << QByteArray("Interface=1\r\n") << true << QRect();
        QTest::newRow("boxes off, a place")
            << QByteArray("success_boxes=0\r\ntraffic_window=-20,40,700,300\r\n") << false
            << QRect(-20, 40, 700, 300);
        QTest::newRow("a place without a size")
            << QByteArray("success_boxes=1\r\ntraffic_window=20,40,0,300\r\n") << true << QRect();
        QTest::newRow("a place cut short")
            << QByteArray("traffic_window=20,40,700\r\n") << true << QRect();
    }

    // Files without the keys read as the program has always behaved; written, the keys read
    // back and every other line stays as it was.
    void viewSettingsReadAndWritten() {
        QFETCH(QByteArray, lines);
        QFETCH(bool, successBoxes);
        QFETCH(QRect, place);
        const QByteArray before = "[ZEV-530TQ_Section]\r\n" + lines + "\r\n[After]\r\nx=1\r\n";
        writeFile(path_, before);
        ProfileFile file(path_);
        ViewSettings view;
        loadViewSettings(view, file);
        QCOMPARE(view.successBoxes, successBoxes);
        QCOMPARE(view.trafficWindowPlace.value_or(QRect()), place);

        view.successBoxes = !successBoxes;
        view.trafficWindowPlace = QRect(10, 20, 640, 200);
        QVERIFY(writeSuccessBoxes(file, view) && writeTrafficWindowPlace(file, view));
        ViewSettings read;
        loadViewSettings(read, file);
        QCOMPARE(read.successBoxes, !successBoxes);
        QCOMPARE(read.trafficWindowPlace, view.trafficWindowPlace);
        const auto otherLines = [](QByteArray text) {
            for (const char* key : {"success_boxes=", "traffic_window="})
                if (const qsizetype at = text.indexOf(key); at >= 0)
                    text.remove(at, text.indexOf('\n', at) - at + 1);
            return text;
        };
        QCOMPARE(otherLines(fileBytes(path_)), otherLines(before));
    }

    void unreadableFileIsNeverReplaced_data() {
        QTest::addColumn<bool>("pipe");
        QTest::addColumn<QString>("reason");
        QTest::newRow("pipe") << true << "通常のファイルではありません。";
        QTest::newRow("larger than 1 MiB")
            << false << "1 MiB を超えるファイルは設定ファイルではありません。";
    }

    // A file that cannot be read (a pipe would hold the reader, a huge one would take the
    // memory) reads as empty and is never replaced: a write would keep nothing but its own key.
    // The operator is told why. The box itself: tst_choicedialogs.
    void unreadableFileIsNeverReplaced() {
        QFETCH(bool, pipe);
        QFETCH(QString, reason);
        if (pipe) {
            QVERIFY(mkfifo(QFile::encodeName(path_).constData(), 0600) == 0);
        } else {
            writeFile(path_, "[ZEV-530TQ_Section]\r\ncom_port=3\r\n");
            QVERIFY(QFile::resize(path_, ProfileFile::maximumSize + 1)); // sparse: no disk used
        }
        ProfileFile file(path_);
        QString detail;
        connect(&file, &ProfileFile::writeFailed,
                [&detail](const QString&, const QString& why) { detail = why; });
        const LinkConfiguration link = loaded(file);
        QCOMPARE(link.comPortIndex, 0);
        QVERIFY(!writeComPort(file, link));
        QCOMPARE(detail, reason);
        QCOMPARE(QFileInfo(path_).isFile(), !pipe);
        QCOMPARE(QFileInfo(path_).size(), pipe ? 0 : ProfileFile::maximumSize + 1);
    }
};

QTEST_GUILESS_MAIN(LinkSettingsTest)
#include "tst_linksettings.moc"
