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
    void cleanup() {
        dialog.reset();
        bench.reset();
    }
    void portIsWrittenAtClose();
    void threeDevicesChooseSendAndStop();

private:
    void openDialog();
    void connectDevices(sim::TcpDeviceClients& devices);
    // The connection table entry that holds a simulated device's connection, 0 when none.
    int entryOf(const sim::TcpDeviceClients& devices, int index) const;
    QListWidget* clientList() { return dialog->findChild<QListWidget*>("list1002"); }
    QLineEdit* edit(const char* name) { return dialog->findChild<QLineEdit*>(name); }

    std::unique_ptr<ConnectionBench> bench;
    std::unique_ptr<TcpServerDialog> dialog;
};

void TcpServerDialogTest::init() {
    bench = std::make_unique<ConnectionBench>("ClientServer=1\r\nselect_number=-1\r\n");
    openDialog();
}

void TcpServerDialogTest::openDialog() {
    dialog.reset();
    dialog = std::make_unique<TcpServerDialog>(bench->state, bench->settingsFile, bench->tcp);
    dialog->show();
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

void TcpServerDialogTest::portIsWrittenAtClose() {
    QCOMPARE(dialog->windowTitle(), "TCP/IPの設定（Server）");
    QCOMPARE(edit("edit1004")->text(), "09004");
    // The port is taken at once and written only when the dialog closes.
    edit("edit1004")->setText("9100");
    QCOMPARE(bench->state.portNumberText.view(), "9100");
    const QByteArray before = bench->settingsText();
    QTest::mouseClick(button(*dialog, "button2"), Qt::LeftButton);
    QCOMPARE(bench->settingsText(), before + "port_number=9100\r\n");
}

void TcpServerDialogTest::threeDevicesChooseSendAndStop() {
    sim::TcpDeviceClients first(1);
    connectDevices(first);
    QVERIFY(!button(*dialog, "button1")->isEnabled());
    QVERIFY(button(*dialog, "button1000")->isEnabled());
    // Devices that connect while the dialog is closed show when it opens again.
    dialog.reset();
    sim::TcpDeviceClients others(2);
    connectDevices(others);
    openDialog();
    QCOMPARE(rows(clientList()), QStringList({"127.0.0.1", "127.0.0.1", "127.0.0.1"}));
    QCOMPARE(entryOf(first, 0), 1);

    doubleClickRow(clientList(), 1);
    QCOMPARE(bench->state.selectedConnection, 2);
    QCOMPARE(bench->state.tcpConnected, 1);
    QCOMPARE(edit("edit1003")->text(), "127.0.0.1");
    // A command from the display page dialog reaches the chosen device and no other.
    dialog.reset();
    bench->sendPageFromDialog();
    const int second = entryOf(others, 0) == 2 ? 0 : 1;
    QTRY_COMPARE(others.device(second)->receivedLines(), QList<QByteArray>{"P01T05"});
    QTRY_COMPARE(bench->prompts.texts(), QStringList{"Socket ＯＫ"});
    QVERIFY(first.device(0)->receivedLines().isEmpty());
    QVERIFY(others.device(1 - second)->receivedLines().isEmpty());
    QVERIFY(!bench->program.window().requestExit());

    // A row chooses its own entry, whatever entries below it have been freed. A newcomer takes
    // the free entry 1 and comes first in the list; the target stays.
    openDialog();
    first.disconnectDevice(0);
    QTRY_COMPARE(clientList()->count(), 2);
    doubleClickRow(clientList(), 1);
    QCOMPARE(bench->state.selectedConnection, 3);
    sim::TcpDeviceClients late(1);
    connectDevices(late);
    QCOMPARE(entryOf(late, 0), 1);
    QCOMPARE(clientList()->count(), 3);
    QCOMPARE(bench->state.selectedConnection, 3);
    bench->program.sender().send("P01T05\r\n");
    QTRY_COMPARE(others.device(1 - second)->receivedLines(), QList<QByteArray>{"P01T05"});
    QVERIFY(late.device(0)->receivedLines().isEmpty());

    // The chosen device leaving is no target any more, and the box no longer names it; the
    // link stays in use until Stop.
    others.disconnectDevice(1 - second);
    QTRY_COMPARE(clientList()->count(), 2);
    QCOMPARE(bench->state.selectedConnection, -1);
    QCOMPARE(bench->state.tcpConnected, 1);
    QCOMPARE(edit("edit1003")->text().trimmed(), QString());

    // Stop releases everything.
    QTest::mouseClick(button(*dialog, "button1000"), Qt::LeftButton);
    QCOMPARE(bench->state.selectedConnection, -1);
    QCOMPARE(bench->state.tcpConnected, 0);
    QCOMPARE(clientList()->count(), 0);
    QVERIFY(!bench->tcp.isListening());
    QTRY_COMPARE(others.connectedCount() + late.connectedCount(), 0);
    QVERIFY(bench->program.window().requestExit());
}

QTEST_MAIN(TcpServerDialogTest)
#include "tst_tcpserverdialog.moc"
