#include "ConnectionBench.h"
#include "connection/InterfaceDialog.h"
#include "sim/SerialDeviceBus.h"

#include <QTimer>

// The serial line opens when the operator chooses it and comes back when its far end returns:
// a simulated device on a pseudo-terminal that COM1 of the configuration folder names.
class SerialRecoveryTest : public QObject {
    Q_OBJECT
private slots:
    void openedWhenChosenAndBackWhenTheDeviceReturns() {
        ConnectionBench bench; // TCP/IP at start-up: no port opened
        SerialLink& serial = bench.program.serialLink();
        const QString com1 = bench.folder.filePath("COM1");
        QVERIFY(QFile::link(bench.folder.filePath("unplugged"), com1));
        std::unique_ptr<sim::SerialDeviceBus> bus;
        const auto plugIn = [&] {
            bus = std::make_unique<sim::SerialDeviceBus>();
            return bus->open() && bus->linkSlave(com1);
        };
        const auto commandAnswered = [&] { // "Success" is the serial line's box for "GO"
            bench.prompts.boxes.clear();
            bench.program.sender().send("CWL1\r\n");
            return QTest::qWaitFor([&] { return bench.prompts.texts() == QStringList{"Success"}; });
        };

        // The device arrives while the first box is open, which holds the event loop longer than a
        // retry takes: the port is neither half set up under the boxes nor tried again.
        bench.prompts.openMilliseconds = 400;
        bench.prompts.whileShown = [&](const MessageBoxRequest&) {
            if (!bus)
                plugIn();
        };
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            emit dialog->findChild<QComboBox*>("interfaceList")->activated(0);
            QVERIFY(!serial.isOpen() && serial.isWaitingToReopen());
            QCOMPARE(bench.prompts.texts(),
                     QStringList({"Miss! File Open", "Miss! Mask Set", "Miss! Buffer Set",
                                  "Miss! Time Out Set", "Miss! Set Comm State"}));
            QCOMPARE(bench.prompts.boxes.last().owner, dialog);
            QCOMPARE(bench.prompts.boxes.last().detail,
                     "COM1: " + QDir::toNativeSeparators(com1) + " の指すデバイスがありません。");
            dialog->close();
        });
        bench.program.window().openDialog(InterfaceDialog::number);
        bench.prompts.openMilliseconds = 0;
        QTRY_VERIFY(serial.isOpen());
        QVERIFY(commandAnswered());

        // The far end closes (the adapter is pulled) and its link goes with it; it comes back on
        // another pseudo-terminal under the same link. Meanwhile no other device is tried.
        QStringList tried;
        QTimer probe;
        connect(&probe, &QTimer::timeout, [&] {
            if (!tried.contains(serial.devicePath()))
                tried << serial.devicePath();
        });
        probe.start(20);
        bus.reset();
        QTRY_VERIFY(!serial.isOpen());
        QTRY_COMPARE(serial.state(), LinkState::Retrying);
        QTest::qWait(2 * SerialLink::reopenInterval);
        QVERIFY(plugIn());
        QTRY_VERIFY(serial.isOpen());
        QVERIFY(commandAnswered());
        QVERIFY(tried.contains(QString()));
        for (const QString& device : tried)
            QVERIFY2(device.isEmpty() || device.startsWith("/dev/pts/"), qPrintable(device));
    }
};

QTEST_MAIN(SerialRecoveryTest)
#include "tst_serialrecovery.moc"
