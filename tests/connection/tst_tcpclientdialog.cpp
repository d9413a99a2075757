#include "ConnectionBench.h"
#include "connection/IpAddressEdit.h"
#include "connection/TcpClientDialog.h"
#include "sim/Device.h"
#include "sim/TcpDeviceServer.h"

#include <QLineEdit>

namespace {

const QByteArray section = "[ZEV-530TQ_Section]\r\n";
const QByteArray threeHosts = "Interface=1\r\nlist_count=3\r\nselect_number=2\r\n"
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
    void init();
    void cleanup();
    void addressEntryBehavesLikeFourFields();
    void addToAnEmptyList();
    void addBeyondTheTableIsRefused();
    void deleteTheFirstOfThree();
    void chooseAndPortReachTheFile();
    void chosenHostOutsideTheListIsRefused();
    void connectSendAndDisconnect();
    void connectedStepAlsoAfterTheDialogClosed();

private:
    std::unique_ptr<TcpClientDialog> openDialog();
    IpAddressEdit* address(TcpClientDialog& window);
    QListWidget* hostList(TcpClientDialog& window);

    std::unique_ptr<ConnectionBench> bench;
    std::unique_ptr<sim::TcpDeviceServer> device;
};

void TcpClientDialogTest::init() {
    bench = std::make_unique<ConnectionBench>();
    bench->state.interfaceKind = 1;
    device = std::make_unique<sim::TcpDeviceServer>();
    QVERIFY2(device->listen(), qPrintable(device->errorString()));
}

void TcpClientDialogTest::cleanup() {
    // The simulated device must not be destroyed with a connection still open.
    bench.reset();
    QTRY_COMPARE(device->connectionCount(), 0);
    device.reset();
}

std::unique_ptr<TcpClientDialog> TcpClientDialogTest::openDialog() {
    auto window = std::make_unique<TcpClientDialog>(bench->state, bench->settingsFile, bench->tcp,
                                                    bench->boxes);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the dialog is not active: typing goes nowhere");
    return window;
}

IpAddressEdit* TcpClientDialogTest::address(TcpClientDialog& window) {
    return window.findChild<IpAddressEdit*>("address1085");
}

QListWidget* TcpClientDialogTest::hostList(TcpClientDialog& window) {
    return window.findChild<QListWidget*>("list1086");
}

void TcpClientDialogTest::addressEntryBehavesLikeFourFields() {
    auto window = openDialog();
    IpAddressEdit* entry = address(*window);
    QCOMPARE(entry->address(), (IpAddressEdit::Octets{0, 0, 0, 0})); // empty fields read 0
    entry->field(0)->setFocus();
    typeText("1921681.10"); // three digits move on by themselves, a dot after fewer
    QCOMPARE(entry->address(), (IpAddressEdit::Octets{192, 168, 1, 10}));

    entry->clear();
    entry->field(1)->setFocus();
    typeText("300"); // the 0 that would make 300 is refused
    QCOMPARE(entry->field(1)->text(), "30");
    QCOMPARE(entry->address(), (IpAddressEdit::Octets{0, 30, 0, 0}));
    entry->field(3)->setFocus();
    QTest::keyClick(entry->field(3), Qt::Key_Backspace); // empty: back to the field before
    QCOMPARE(QApplication::focusWidget(), entry->field(2));
}

void TcpClientDialogTest::addToAnEmptyList() {
    auto window = openDialog();
    QCOMPARE(window->windowTitle(), "TCP/IPの設定（Client）");
    address(*window)->field(0)->setFocus();
    typeText("10.0.0.5");
    QTest::mouseClick(button(*window, "button1087"), Qt::LeftButton);
    QCOMPARE(rows(hostList(*window)), QStringList{"010 .000 .000 .005"});
    QCOMPARE(bench->state.hostCount, 1);
    QCOMPARE(bench->state.selectedConnection, 0);
    QCOMPARE(bench->settingsText(),
             section + "list_count=1\r\nip00_0=10\r\nip00_1=0\r\nip00_2=0\r\nip00_3=5\r\n");

    address(*window)->clear();
    window->addHost();
    QCOMPARE(rows(hostList(*window)), QStringList({"010 .000 .000 .005", "000 .000 .000 .000"}));
}

void TcpClientDialogTest::addBeyondTheTableIsRefused() {
    bench->loadSettings("list_count=255\r\n");
    auto window = openDialog();
    address(*window)->setAddress({10, 1, 2, 3});
    window->addHost(); // entry 255 is the last of the table; its keys are "ipI5_0" ...
    QVERIFY(bench->settingsText().endsWith("ipI5_0=10\r\nipI5_1=1\r\nipI5_2=2\r\nipI5_3=3\r\n"));
    const QByteArray full = bench->settingsText();
    window->addHost();
    QCOMPARE(bench->state.hostCount, 256);
    QCOMPARE(hostList(*window)->count(), 256);
    QCOMPARE(bench->settingsText(), full);
    QCOMPARE(bench->prompts.texts(), QStringList{"Host List には256件までしか登録できません。"});
    QCOMPARE(bench->prompts.boxes.first().owner, window.get());
}

void TcpClientDialogTest::deleteTheFirstOfThree() {
    bench->loadSettings(threeHosts);
    auto window = openDialog();
    QListWidget* list = hostList(*window);
    window->deleteSelectedHost(); // no row selected: nothing happens
    QCOMPARE(bench->settingsText(), section + threeHosts);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());
    QTest::mouseClick(button(*window, "button1088"), Qt::LeftButton);
    QCOMPARE(rows(list), QStringList({"010 .000 .000 .005", "127 .000 .000 .001"}));
    QCOMPARE(bench->state.selectedConnection, 2); // a single click does not choose
    // The moved hosts are rewritten in place; the keys of the former last one stay behind.
    QCOMPARE(bench->settingsText(), section + "Interface=1\r\nlist_count=2\r\nselect_number=2\r\n"
                                              "ip00_0=10\r\nip00_1=0\r\nip00_2=0\r\nip00_3=5\r\n"
                                              "ip01_0=127\r\nip01_1=0\r\nip01_2=0\r\nip01_3=1\r\n"
                                              "ip02_0=127\r\nip02_1=0\r\nip02_2=0\r\nip02_3=1\r\n");
    // No row stays selected, so a second press deletes nothing unseen.
    window->deleteSelectedHost();
    QCOMPARE(bench->state.hostCount, 2);
}

void TcpClientDialogTest::chooseAndPortReachTheFile() {
    bench->loadSettings(threeHosts);
    auto window = openDialog();
    QCOMPARE(address(*window)->address(), (IpAddressEdit::Octets{127, 0, 0, 1}));
    doubleClickRow(hostList(*window), 1);
    QCOMPARE(bench->state.selectedConnection, 1);
    QCOMPARE(address(*window)->address(), (IpAddressEdit::Octets{10, 0, 0, 5}));
    const QByteArray chosen =
        section + QByteArray(threeHosts).replace("select_number=2", "select_number=1");
    QCOMPARE(bench->settingsText(), chosen);

    // The port is taken at once and written only when the dialog closes.
    auto* port = window->findChild<QLineEdit*>("edit1090");
    QCOMPARE(port->text(), "09004");
    port->selectAll();
    QTest::keyClicks(port, "080012");
    QCOMPARE(bench->state.portNumberText.view(), "08001");
    QCOMPARE(bench->settingsText(), chosen);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(!window->isVisible());
    QCOMPARE(bench->settingsText(), chosen + "port_number=08001\r\n");
}

void TcpClientDialogTest::chosenHostOutsideTheListIsRefused() {
    for (const QByteArray chosen : {"-1", "3"}) {
        bench->prompts.clear();
        bench->loadSettings(
            QByteArray(threeHosts).replace("select_number=2", "select_number=" + chosen));
        auto window = openDialog();
        QVERIFY(address(*window)->isBlank());
        address(*window)->setAddress({127, 0, 0, 1}); // typed: not what a connect uses
        QTest::mouseClick(button(*window, "button1092"), Qt::LeftButton);
        QVERIFY(!bench->tcp.hasClientSocket());
        QCOMPARE(
            bench->prompts.texts(),
            QStringList{"接続先が選ばれていません。Host List の行をダブルクリックしてください。"});
        QVERIFY(button(*window, "button1092")->isEnabled());
    }
}

void TcpClientDialogTest::connectSendAndDisconnect() {
    bench->loadSettings(threeHosts);
    bench->state.portNumberText.assign(QByteArray::number(device->serverPort()));
    bench->state.selectedConnection = 2;
    auto window = openDialog();
    address(*window)->setAddress({10, 0, 0, 5}); // typed, not chosen: host 2 is connected
    QTest::mouseClick(button(*window, "button1092"), Qt::LeftButton);
    QVERIFY(button(*window, "button1092")->isEnabled()); // until the connect completes
    QTRY_COMPARE(bench->state.tcpConnected, 1);
    QCOMPARE(bench->prompts.texts(), QStringList{"Socket 接続 OK"});
    QCOMPARE(bench->prompts.boxes.first().caption, "Success");
    QVERIFY(!button(*window, "button1092")->isEnabled());
    QVERIFY(button(*window, "button1089")->isEnabled());
    QTRY_COMPARE(device->connectionCount(), 1);

    // The connection outlives the dialog: a command from the display page dialog gets there.
    QTest::mouseClick(button(*window, "button1"), Qt::LeftButton);
    bench->prompts.clear();
    bench->sendPageFromDialog();
    QTRY_COMPARE(device->device()->receivedLines(), QList<QByteArray>{"P01T05"});
    QTRY_COMPARE(bench->prompts.texts(), QStringList{"Socket ＯＫ"});
    bench->window.show();
    QVERIFY(!bench->window.close());
    QCOMPARE(bench->prompts.texts().last(), "TCP/IPを切断してください。");

    // Opened again the dialog shows the connection; Disconnect releases it.
    window = openDialog();
    QVERIFY(!button(*window, "button1092")->isEnabled());
    bench->prompts.clear();
    QTest::mouseClick(button(*window, "button1089"), Qt::LeftButton);
    QCOMPARE(bench->state.tcpConnected, 0);
    QCOMPARE(bench->prompts.texts(), QStringList{"Socket 切断 OK"});
    QVERIFY(button(*window, "button1092")->isEnabled());
    QVERIFY(!button(*window, "button1089")->isEnabled());
    QTRY_COMPARE(device->connectionCount(), 0);
    QVERIFY(bench->window.close());
}

void TcpClientDialogTest::connectedStepAlsoAfterTheDialogClosed() {
    bench->loadSettings(threeHosts);
    bench->state.portNumberText.assign(QByteArray::number(device->serverPort()));
    auto window = openDialog();
    window->connectToHost();
    window.reset();
    QTRY_COMPARE(bench->state.tcpConnected, 1);
    QCOMPARE(bench->prompts.texts(), QStringList{"Socket 接続 OK"});
    window = openDialog();
    QVERIFY(!button(*window, "button1092")->isEnabled());
    QVERIFY(button(*window, "button1089")->isEnabled());
}

QTEST_MAIN(TcpClientDialogTest)
#include "tst_tcpclientdialog.moc"
