#include "ConnectionBench.h"
#include "connection/IpAddressEdit.h"
#include "connection/TcpClientDialog.h"
#include "sim/Device.h"
#include "sim/TcpDeviceServer.h"

#include <QLineEdit>

class TcpClientDialogTest : public QObject {
    Q_OBJECT
    void start(const QByteArray& settings) {
        window.reset();
        bench = std::make_unique<ConnectionBench>(settings);
        openDialog();
    }
    void openDialog() {
        window = std::make_unique<TcpClientDialog>(bench->state, bench->settingsFile, bench->tcp,
                                                   bench->boxes);
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get())); // else typing goes nowhere
    }
    IpAddressEdit* address() { return window->findChild<IpAddressEdit*>("hostAddressEdit"); }
    QListWidget* hostList() { return window->findChild<QListWidget*>("hostList"); }

    std::unique_ptr<ConnectionBench> bench;
    std::unique_ptr<TcpClientDialog> window;

private slots:
    void addDeleteChooseAndPort() {
        start("select_number=-1\r\n");
        for (const IpAddressEdit::Octets& host :
             {IpAddressEdit::Octets{10, 0, 0, 5}, {192, 168, 1, 10}, {127, 0, 0, 1}}) {
            address()->setAddress(host);
            QTest::mouseClick(window->findChild<QPushButton*>("addButton"), Qt::LeftButton);
        }
        doubleClickRow(hostList(), 2);
        QTest::mouseClick(hostList()->viewport(), Qt::LeftButton, {},
                          hostList()->visualItemRect(hostList()->item(0)).center());
        QTest::mouseClick(window->findChild<QPushButton*>("deleteButton"), Qt::LeftButton);
        window->deleteSelectedHost(); // no row stays selected, and none selected deletes nothing
        QCOMPARE(hostList()->item(0)->text(), "192 .168 .001 .010");
        // The former last host's keys stay behind; a single click does not choose.
        const QByteArray expected = section +
                                    "Interface=1\r\nselect_number=2\r\nlist_count=2\r\n"
                                    "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n"
                                    "ip01_0=127\r\nip01_1=0\r\nip01_2=0\r\nip01_3=1\r\n"
                                    "ip02_0=127\r\nip02_1=0\r\nip02_2=0\r\nip02_3=1\r\n";
        QCOMPARE(bench->settingsText(), expected);
        // The chosen host is no longer listed: refused, whatever the address box shows.
        QTest::mouseClick(window->findChild<QPushButton*>("connectButton"), Qt::LeftButton);
        QVERIFY(!bench->tcp.hasClientSocket());
        QCOMPARE(
            bench->prompts.texts(),
            QStringList{"接続先が選ばれていません。Host List の行をダブルクリックしてください。"});

        // The port is written only when the dialog closes.
        auto* port = window->findChild<QLineEdit*>("portEdit");
        port->selectAll();
        QTest::keyClicks(port, "080012");
        QCOMPARE(bench->settingsText(), expected);
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QCOMPARE(bench->settingsText(), expected + "port_number=08001\r\n");
    }

    void connectSendAndDisconnect() {
        sim::TcpDeviceServer device;
        QVERIFY2(device.listen(), qPrintable(device.errorString()));
        start(
            "list_count=1\r\nselect_number=0\r\nip00_0=127\r\nip00_1=0\r\nip00_2=0\r\nip00_3=1\r\n"
            "port_number=" +
            QByteArray::number(device.serverPort()) + "\r\n");
        address()->setAddress({10, 0, 0, 5}); // typed, not chosen: the chosen host is connected
        QTest::mouseClick(window->findChild<QPushButton*>("connectButton"), Qt::LeftButton);
        // Closed before the connect completes: the connected step is taken all the same.
        window.reset();
        QTRY_VERIFY(bench->tcp.tcpConnected());
        QTRY_COMPARE(bench->prompts.texts(), QStringList{"Socket 接続 OK"});
        QCOMPARE(bench->prompts.boxes.last().owner, &bench->program.window());
        bench->sendPageFromDialog();
        QTRY_COMPARE(device.device()->receivedLines(), QList<QByteArray>{"P01T05"});
        QVERIFY(!bench->program.window().requestExit());

        openDialog();
        auto* connectButton = window->findChild<QPushButton*>("connectButton");
        auto* disconnectButton = window->findChild<QPushButton*>("disconnectButton");
        QTest::mouseClick(disconnectButton, Qt::LeftButton);
        QVERIFY(!bench->tcp.tcpConnected());
        QCOMPARE(bench->prompts.texts().last(), "Socket 切断 OK");
        QCOMPARE(bench->prompts.boxes.last().owner, window.get());

        // The device leaves: the open dialog shows it at once, and the program may end.
        QTest::mouseClick(connectButton, Qt::LeftButton);
        QTRY_VERIFY(disconnectButton->isEnabled());
        device.disconnectClients();
        QTRY_VERIFY(connectButton->isEnabled());
        QVERIFY(!disconnectButton->isEnabled());
        QVERIFY(bench->program.window().requestExit());
    }
};

QTEST_MAIN(TcpClientDialogTest)
#include "tst_tcpclientdialog.moc"
