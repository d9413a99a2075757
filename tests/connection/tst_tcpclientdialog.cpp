#include "ConnectionBench.h"
#include "connection/IpAddressEdit.h"
#include "connection/TcpClientDialog.h"
#include "sim/Device.h"
#include "sim/TcpDeviceServer.h"

#include <QLineEdit>

namespace {

const QByteArray threeHosts = "list_count=3\r\nselect_number=2\r\n"
                              "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n"
                              "ip01_0=10\r\nip01_1=0\r\nip01_2=0\r\nip01_3=5\r\n"
                              "ip02_0=127\r\nip02_1=0\r\nip02_2=0\r\nip02_3=1\r\n";

// Types as the operator does: each key goes to whichever field has the focus by then.
void typeText(const QString& text) {
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

} // namespace

class TcpClientDialogTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        window.reset();
        bench.reset();
    }
    void addToAnEmptyList();
    void addBeyondTheTableIsRefused();
    void deleteChooseAndPort();
    void connectSendAndDisconnect();

private:
    void start(const QByteArray& settings);
    void openDialog();
    void connectIsRefused();
    IpAddressEdit* address() { return window->findChild<IpAddressEdit*>("address1085"); }
    QListWidget* hostList() { return window->findChild<QListWidget*>("list1086"); }

    std::unique_ptr<ConnectionBench> bench;
    std::unique_ptr<TcpClientDialog> window;
};

void TcpClientDialogTest::start(const QByteArray& settings) {
    bench = std::make_unique<ConnectionBench>(settings);
    openDialog();
}

void TcpClientDialogTest::openDialog() {
    window = std::make_unique<TcpClientDialog>(bench->state, bench->settingsFile, bench->tcp,
                                               bench->boxes);
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get())); // else typing goes nowhere
}

// Connect with no listed host chosen is refused, whatever the address box shows.
void TcpClientDialogTest::connectIsRefused() {
    bench->prompts.clear();
    QTest::mouseClick(button(*window, "button1092"), Qt::LeftButton);
    QVERIFY(!bench->tcp.hasClientSocket());
    QCOMPARE(bench->prompts.texts(),
             QStringList{"接続先が選ばれていません。Host List の行をダブルクリックしてください。"});
}

void TcpClientDialogTest::addToAnEmptyList() {
    start("select_number=-1\r\n");
    QCOMPARE(window->windowTitle(), "TCP/IPの設定（Client）");
    address()->field(0)->setFocus();
    typeText("0100.0.5"); // three digits move on by themselves, a dot after fewer
    QTest::mouseClick(button(*window, "button1087"), Qt::LeftButton);
    QCOMPARE(rows(hostList()), QStringList{"010 .000 .000 .005"});
    QCOMPARE(bench->settingsText(), section + "Interface=1\r\nselect_number=-1\r\nlist_count=1\r\n"
                                              "ip00_0=10\r\nip00_1=0\r\nip00_2=0\r\nip00_3=5\r\n");
    connectIsRefused(); // added is not chosen
    address()->clear(); // empty fields read 0
    window->addHost();
    QCOMPARE(rows(hostList()), QStringList({"010 .000 .000 .005", "000 .000 .000 .000"}));
}

void TcpClientDialogTest::addBeyondTheTableIsRefused() {
    start("list_count=255\r\nselect_number=-1\r\n");
    address()->field(0)->setFocus();
    typeText("10.1.2.300"); // the 0 that would make 300 is refused
    // Entry 255 is the last of the table; its keys are "ipI5_0" ...
    window->addHost();
    const QByteArray full = bench->settingsText();
    QVERIFY(full.endsWith("ipI5_0=10\r\nipI5_1=1\r\nipI5_2=2\r\nipI5_3=30\r\n"));
    window->addHost();
    QCOMPARE(bench->state.hostCount, 256);
    QCOMPARE(hostList()->count(), 256);
    QCOMPARE(bench->settingsText(), full);
    QCOMPARE(bench->prompts.texts(), QStringList{"Host List には256件までしか登録できません。"});
    QCOMPARE(bench->prompts.boxes.first().owner, window.get());
}

void TcpClientDialogTest::deleteChooseAndPort() {
    start(threeHosts);
    QCOMPARE(address()->address(), (IpAddressEdit::Octets{127, 0, 0, 1})); // the chosen host
    window->deleteSelectedHost(); // no row selected: nothing happens
    QCOMPARE(bench->settingsText(), section + "Interface=1\r\n" + threeHosts);

    QTest::mouseClick(hostList()->viewport(), Qt::LeftButton, {},
                      hostList()->visualItemRect(hostList()->item(0)).center());
    QTest::mouseClick(button(*window, "button1088"), Qt::LeftButton);
    QCOMPARE(rows(hostList()), QStringList({"010 .000 .000 .005", "127 .000 .000 .001"}));
    QCOMPARE(bench->state.selectedConnection, 2); // a single click does not choose
    // The moved hosts are rewritten in place; the keys of the former last one stay behind.
    QByteArray expected = section + "Interface=1\r\nlist_count=2\r\nselect_number=2\r\n"
                                    "ip00_0=10\r\nip00_1=0\r\nip00_2=0\r\nip00_3=5\r\n"
                                    "ip01_0=127\r\nip01_1=0\r\nip01_2=0\r\nip01_3=1\r\n"
                                    "ip02_0=127\r\nip02_1=0\r\nip02_2=0\r\nip02_3=1\r\n";
    QCOMPARE(bench->settingsText(), expected);
    window->deleteSelectedHost(); // no row stays selected
    QCOMPARE(bench->state.hostCount, 2);
    connectIsRefused(); // the chosen host 2 is gone

    doubleClickRow(hostList(), 0);
    QCOMPARE(bench->state.selectedConnection, 0);
    QCOMPARE(address()->address(), (IpAddressEdit::Octets{10, 0, 0, 5}));
    QCOMPARE(bench->settingsText(), expected.replace("select_number=2", "select_number=0"));
    // The port is taken at once and written only when the dialog closes.
    auto* port = window->findChild<QLineEdit*>("edit1090");
    QCOMPARE(port->text(), "09004");
    port->selectAll();
    QTest::keyClicks(port, "080012");
    QCOMPARE(bench->state.portNumberText.view(), "08001");
    QCOMPARE(bench->settingsText(), expected);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QCOMPARE(bench->settingsText(), expected + "port_number=08001\r\n");
}

void TcpClientDialogTest::connectSendAndDisconnect() {
    sim::TcpDeviceServer device;
    QVERIFY2(device.listen(), qPrintable(device.errorString()));
    start(threeHosts + "port_number=" + QByteArray::number(device.serverPort()) + "\r\n");
    address()->setAddress({10, 0, 0, 5}); // typed, not chosen: host 2 is connected
    QTest::mouseClick(button(*window, "button1092"), Qt::LeftButton);
    QVERIFY(button(*window, "button1092")->isEnabled()); // until the connect completes
    // Closed before the connect completes: the program takes the connected step all the same,
    // and the connection outlives the dialog.
    window.reset();
    QTRY_COMPARE(bench->state.tcpConnected, 1);
    QCOMPARE(bench->prompts.texts(), QStringList{"Socket 接続 OK"});
    bench->prompts.clear();
    bench->sendPageFromDialog();
    QTRY_COMPARE(device.device()->receivedLines(), QList<QByteArray>{"P01T05"});
    QTRY_COMPARE(bench->prompts.texts(), QStringList{"Socket ＯＫ"});
    QVERIFY(!bench->program.window().requestExit());
    QCOMPARE(bench->prompts.texts().last(), "TCP/IPを切断してください。");

    openDialog();
    QVERIFY(!button(*window, "button1092")->isEnabled());
    QVERIFY(button(*window, "button1089")->isEnabled());
    bench->prompts.clear();
    QTest::mouseClick(button(*window, "button1089"), Qt::LeftButton);
    QCOMPARE(bench->state.tcpConnected, 0);
    QCOMPARE(bench->prompts.texts(), QStringList{"Socket 切断 OK"});
    QVERIFY(button(*window, "button1092")->isEnabled());
    QTRY_COMPARE(device.connectionCount(), 0);
    QVERIFY(bench->program.window().requestExit());
}

QTEST_MAIN(TcpClientDialogTest)
#include "tst_tcpclientdialog.moc"
