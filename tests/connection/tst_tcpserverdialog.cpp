#include "ConnectionBench.h"
#include "connection/TcpServerDialog.h"
#include "sim/Device.h"
#include "sim/TcpDeviceClients.h"

#include <QLineEdit>
#include <QTcpSocket>

// The server role, with simulated devices connecting to the program on 127.0.0.1.
class TcpServerDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { bench.reset(); }
    void opensEmptyWithThePort();
    void threeDevicesChooseTheSecondAndStop();
    void listShowsEveryEntryInUse();
    void chosenDeviceLeavingKeepsTheTargetUntilStop();

private:
    std::unique_ptr<TcpServerDialog> openDialog();
    void connectDevices(sim::TcpDeviceClients& devices);
    // The connection table entry that holds a simulated device's connection, 0 when none.
    int entryOf(const sim::TcpDeviceClients& devices, int index) const;
    QListWidget* clientList() { return dialog->findChild<QListWidget*>("list1002"); }
    QLineEdit* edit(const char* name) { return dialog->findChild<QLineEdit*>(name); }

    std::unique_ptr<ConnectionBench> bench;
    std::unique_ptr<TcpServerDialog> dialog;
};

void TcpServerDialogTest::init() {
    bench = std::make_unique<ConnectionBench>();
    bench->state.interfaceKind = 1;
    bench->state.tcpRole = 1;
    bench->state.selectedConnection = -1;
    dialog = openDialog();
}

std::unique_ptr<TcpServerDialog> TcpServerDialogTest::openDialog() {
    dialog.reset();
    auto window = std::make_unique<TcpServerDialog>(bench->state, bench->settingsFile, bench->tcp);
    window->show();
    return window;
}

void TcpServerDialogTest::connectDevices(sim::TcpDeviceClients& devices) {
    if (!bench->tcp.isListening()) {
        edit("edit1004")->clear(); // port 0: the system picks a free one
        QTest::mouseClick(button(*dialog, "button1"), Qt::LeftButton);
    }
    devices.connectToProgram(QStringLiteral("127.0.0.1"), bench->tcp.listeningPort());
    for (int index = 0; index < devices.count(); ++index)
        QTRY_VERIFY(entryOf(devices, index) != 0);
}

int TcpServerDialogTest::entryOf(const sim::TcpDeviceClients& devices, int index) const {
    for (int entry = TcpLink::firstConnection; entry <= TcpLink::lastConnection; ++entry) {
        const Connection& connection = bench->state.connectionTable[std::size_t(entry)];
        if (connection.inUse == 1 && devices.isConnected(index) &&
            connection.socket->peerPort() == devices.localPort(index))
            return entry;
    }
    return 0;
}

void TcpServerDialogTest::opensEmptyWithThePort() {
    QCOMPARE(dialog->windowTitle(), "TCP/IPの設定（Server）");
    QCOMPARE(bench->state.replyWindow, dialog.get());
    QCOMPARE(clientList()->count(), 0);
    QVERIFY(button(*dialog, "button1")->isDefault());
    QVERIFY(button(*dialog, "button1")->isEnabled());
    QVERIFY(!button(*dialog, "button1000")->isEnabled());
    QCOMPARE(edit("edit1004")->text(), "09004");

    edit("edit1004")->setText("9100");
    QCOMPARE(bench->state.portNumberText.view(), "9100");
    QVERIFY(!QFile::exists(bench->settingsFile.path()));
    QTest::mouseClick(button(*dialog, "button2"), Qt::LeftButton);
    QCOMPARE(dialog->result(), 2);
    QCOMPARE(bench->settingsText(), "[ZEV-530TQ_Section]\r\nport_number=9100\r\n");
}

void TcpServerDialogTest::threeDevicesChooseTheSecondAndStop() {
    sim::TcpDeviceClients devices(3);
    connectDevices(devices);
    QVERIFY(!button(*dialog, "button1")->isEnabled());
    QVERIFY(button(*dialog, "button1000")->isEnabled());
    QVERIFY(!edit("edit1004")->isEnabled());
    QCOMPARE(rows(clientList()), QStringList({"127.0.0.1", "127.0.0.1", "127.0.0.1"}));

    doubleClickRow(clientList(), 1);
    QCOMPARE(bench->state.selectedConnection, 2);
    QCOMPARE(bench->state.tcpConnected, 1);
    QCOMPARE(edit("edit1003")->text(), "127.0.0.1");

    // A command from the display page dialog reaches the chosen device and no other.
    dialog->done(2);
    bench->sendPageFromDialog();
    for (int index = 0; index < devices.count(); ++index) {
        const QList<QByteArray> expected =
            entryOf(devices, index) == 2 ? QList<QByteArray>{"P01T05"} : QList<QByteArray>{};
        QTRY_COMPARE(devices.device(index)->receivedLines(), expected);
    }
    QTRY_COMPARE(bench->prompts.texts(), QStringList{"Socket ＯＫ"});
    bench->window.show();
    QVERIFY(!bench->window.close());

    dialog = openDialog();
    QCOMPARE(clientList()->count(), 3);
    QCOMPARE(edit("edit1003")->text(), "127.0.0.1");
    QTest::mouseClick(button(*dialog, "button1000"), Qt::LeftButton);
    QCOMPARE(bench->state.selectedConnection, -1);
    QCOMPARE(bench->state.tcpConnected, 0);
    QCOMPARE(clientList()->count(), 0);
    QCOMPARE(edit("edit1003")->text(), QString(16, ' '));
    QVERIFY(button(*dialog, "button1")->isEnabled());
    QVERIFY(!button(*dialog, "button1000")->isEnabled());
    QVERIFY(!edit("edit1004")->isEnabled()); // enabled when the dialog opens again
    QVERIFY(!bench->tcp.isListening());
    QTRY_COMPARE(devices.connectedCount(), 0);
    QVERIFY(bench->window.close());
}

// Devices come and go whether or not the dialog is open; each row keeps its own entry.
void TcpServerDialogTest::listShowsEveryEntryInUse() {
    sim::TcpDeviceClients first(1);
    connectDevices(first);
    dialog = openDialog();
    sim::TcpDeviceClients others(2);
    connectDevices(others);
    dialog = openDialog();
    QCOMPARE(clientList()->count(), 3);
    QVERIFY(!button(*dialog, "button1")->isEnabled());
    QVERIFY(button(*dialog, "button1000")->isEnabled());

    QCOMPARE(entryOf(first, 0), 1);
    first.disconnectDevice(0);
    QTRY_COMPARE(clientList()->count(), 2);
    doubleClickRow(clientList(), 1);
    QCOMPARE(bench->state.selectedConnection, 3);

    // A newcomer takes the free entry 1 and comes first in the list; the target stays.
    sim::TcpDeviceClients late(1);
    connectDevices(late);
    QCOMPARE(entryOf(late, 0), 1);
    QCOMPARE(clientList()->count(), 3);
    QCOMPARE(bench->state.selectedConnection, 3);
    bench->sender.send("P01T05\r\n");
    const int chosen = entryOf(others, 0) == 3 ? 0 : 1;
    QTRY_COMPARE(others.device(chosen)->receivedLines(), QList<QByteArray>{"P01T05"});
    QVERIFY(late.device(0)->receivedLines().isEmpty());
}

void TcpServerDialogTest::chosenDeviceLeavingKeepsTheTargetUntilStop() {
    sim::TcpDeviceClients devices(1);
    connectDevices(devices);
    doubleClickRow(clientList(), 0);
    devices.disconnectDevice(0);
    QTRY_COMPARE(clientList()->count(), 0);
    QCOMPARE(bench->state.tcpConnected, 1);
    QVERIFY(!button(*dialog, "button1")->isEnabled());
    QVERIFY(!button(*dialog, "button1000")->isEnabled());
    bench->window.show();
    QVERIFY(!bench->window.close());

    // Opened again: Start returns at once as the link still listens; Stop releases all.
    dialog = openDialog();
    QTest::mouseClick(button(*dialog, "button1"), Qt::LeftButton);
    QTest::mouseClick(button(*dialog, "button1000"), Qt::LeftButton);
    QCOMPARE(bench->state.tcpConnected, 0);
    QVERIFY(bench->window.close());
}

QTEST_MAIN(TcpServerDialogTest)
#include "tst_tcpserverdialog.moc"
