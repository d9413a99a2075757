#include "ConnectionBench.h"
#include "connection/InterfaceDialog.h"
#include "sim/Device.h"
#include "sim/SerialDeviceBus.h"

#include <QTimer>

// The serial line opens when the operator chooses it and comes back when its far end returns:
// a simulated device on a pseudo-terminal that COM1 of the configuration folder names.
class SerialRecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void openedWhenChosenAndBackWhenTheDeviceReturns();

private:
    // A device on a new pseudo-terminal, as when an adapter is plugged in again.
    void plugIn() {
        bus = std::make_unique<sim::SerialDeviceBus>();
        QVERIFY2(bus->open() && bus->linkSlave(com1), qPrintable(bus->errorString()));
    }
    // A command sent now is answered by the device.
    void commandAnswered() {
        bench.prompts.clear();
        bench.program.sender().send("CWL1\r\n");
        QTRY_COMPARE(bench.prompts.texts(), QStringList{"Success"});
        QCOMPARE(bench.prompts.boxes.first().owner, &bench.program.window());
        QCOMPARE(bus->device()->receivedLines(), QList<QByteArray>{"CWL1"});
    }

    ConnectionBench bench; // TCP/IP at start-up: no port opened
    QString com1 = bench.folder.filePath("COM1");
    std::unique_ptr<sim::SerialDeviceBus> bus;
};

void SerialRecoveryTest::openedWhenChosenAndBackWhenTheDeviceReturns() {
    SerialLink& serial = bench.program.serialLink();
    QVERIFY(QFile::link(bench.folder.filePath("unplugged"), com1));
    // The device arrives while the first box is open; the boxes hold the event loop longer than
    // a retry takes, and the port is neither half set up under them nor tried again.
    bench.prompts.openMilliseconds = 400;
    bench.prompts.whileShown = [this](const MessageBoxRequest&) {
        if (!bus)
            plugIn();
    };
    QWidget* dialog = nullptr;
    QTimer::singleShot(0, [&] {
        dialog = QApplication::activeModalWidget();
        emit dialog->findChild<QComboBox*>("interfaceList")->activated(0);
        QVERIFY(!serial.isOpen() && serial.isWaitingToReopen());
        dialog->close();
    });
    bench.program.window().openDialog(InterfaceDialog::number);
    const QString why = QDir::toNativeSeparators(com1) + ": No such file or directory";
    const QStringList steps{"Miss! File Open", "Miss! Mask Set", "Miss! Buffer Set",
                            "Miss! Time Out Set", "Miss! Set Comm State"};
    QCOMPARE(bench.prompts.texts(), steps);
    for (const MessageBoxRequest& box : std::as_const(bench.prompts.boxes)) {
        QCOMPARE(box.owner, dialog);
        QCOMPARE(box.detail, why);
    }
    bench.prompts = RecordingPrompts();
    QTRY_VERIFY(serial.isOpen());
    commandAnswered();

    // The far end closes (the adapter is pulled) and comes back on another pseudo-terminal.
    bus.reset();
    QTRY_VERIFY(!serial.isOpen());
    plugIn();
    QTRY_VERIFY(serial.isOpen());
    QVERIFY(!serial.isWaitingToReopen());
    commandAnswered();
}

QTEST_MAIN(SerialRecoveryTest)
#include "tst_serialrecovery.moc"
