#include "ConnectionBench.h"
#include "connection/TcpServerDialog.h"
#include "sim/Device.h"
#include "sim/TcpDeviceClients.h"
#include "support/ChosenDevice.h"

#include <QLineEdit>
#include <QTcpSocket>

// The server role, with simulated devices connecting to the program on 127.0.0.1.
class TcpServerDialogTest : public QObject {
    Q_OBJECT
private slots:
    void threeDevicesChooseSendAndStop();

private:
    void openDialog() {
        dialog = std::make_unique<TcpServerDialog>(bench.state, bench.settingsFile, bench.tcp);
        dialog->show();
    }
    // The simulated device whose connection the table entry holds.
    int deviceIn(int entry) const {
        const quint16 port = bench.tcp.connectionTable()[std::size_t(entry)].socket->peerPort();
        for (int index = 0; index < devices.count(); ++index)
            if (devices.localPort(index) == port)
                return index;
        return -1;
    }
    QListWidget* clientList() { return dialog->findChild<QListWidget*>("clientList"); }
    QLineEdit* edit(const char* name) { return dialog->findChild<QLineEdit*>(name); }

    ConnectionBench bench{"ClientServer=1\r\nselect_number=-1\r\n"};
    sim::TcpDeviceClients devices{3};
    std::unique_ptr<TcpServerDialog> dialog;
};

void TcpServerDialogTest::threeDevicesChooseSendAndStop() {
    openDialog();
    edit("portEdit")->clear(); // port 0: the system picks a free one
    QTest::mouseClick(dialog->findChild<QPushButton*>("startButton"), Qt::LeftButton);
    // Devices that connect while the dialog is closed show when it opens again.
    dialog.reset();
    devices.connectToProgram(QStringLiteral("127.0.0.1"), bench.tcp.listeningPort());
    QTRY_COMPARE(bench.tcp.connectionCount(), 3);
    openDialog();
    QCOMPARE(clientList()->count(), 3);

    doubleClickRow(clientList(), 1);
    QCOMPARE(bench.state.link.selectedConnection, 2);
    QCOMPARE(edit("targetEdit")->text(), "127.0.0.1");
    // A command from the display page dialog reaches the chosen device and no other.
    dialog.reset();
    bench.sendPageFromDialog();
    QTRY_COMPARE(devices.device(deviceIn(2))->receivedLines(), QList<QByteArray>{"P01T05"});
    QTRY_COMPARE(bench.prompts.texts(), QStringList{"Socket ＯＫ"});
    QVERIFY(devices.device(deviceIn(1))->receivedLines().isEmpty());
    QVERIFY(!bench.program.window().requestExit());

    // A row chooses its own entry, whatever entries below it have been freed.
    openDialog();
    devices.disconnectDevice(deviceIn(1));
    QTRY_COMPARE(clientList()->count(), 2);
    doubleClickRow(clientList(), 1);
    QCOMPARE(bench.state.link.selectedConnection, 3);
    // The chosen device leaving is no target any more.
    devices.disconnectDevice(deviceIn(3));
    QTRY_COMPARE(clientList()->count(), 1);
    QCOMPARE(bench.state.link.selectedConnection, -1);
    QCOMPARE(edit("targetEdit")->text().trimmed(), QString());
    QVERIFY(!bench.tcp.tcpConnected());

    // Stop releases everything, the chosen device too.
    doubleClickRow(clientList(), 0);
    QTest::mouseClick(dialog->findChild<QPushButton*>("stopButton"), Qt::LeftButton);
    QCOMPARE(bench.state.link.selectedConnection, -1);
    QVERIFY(!bench.tcp.tcpConnected());
    QCOMPARE(clientList()->count(), 0);
    QVERIFY(!bench.tcp.isListening());
    QTRY_COMPARE(devices.connectedCount(), 0);

    QVERIFY(edit("portEdit")->isEnabled()); // open to change again without reopening
    // The stop stays at hand when the last device has left.
    dialog->startListening();
    const auto device = connectChosenDevice(bench.tcp, bench.state.link);
    QVERIFY(device);
    device->disconnectFromHost();
    QTRY_COMPARE(clientList()->count(), 0);
    QVERIFY(dialog->findChild<QPushButton*>("stopButton")->isEnabled());
    QVERIFY(bench.program.window().requestExit());
}

QTEST_MAIN(TcpServerDialogTest)
#include "tst_tcpserverdialog.moc"
