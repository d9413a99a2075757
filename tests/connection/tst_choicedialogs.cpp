#include "ConnectionBench.h"
#include "connection/ClientServerDialog.h"
#include "connection/InterfaceDialog.h"
#include "connection/SerialSettingsDialog.h"

#include <QTimer>

class ChoiceDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void choiceIsWrittenAtOnce_data();
    void choiceIsWrittenAtOnce();
    void interfaceAndRoleLockedWhileConnected();
};

void ChoiceDialogsTest::choiceIsWrittenAtOnce_data() {
    QTest::addColumn<int>("dialog");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("listName");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("interface") << 105 << "インターフェイスの設定"
                               << "list1014" << 0 << QByteArray("Interface=0\r\n");
    QTest::newRow("COM port") << 107 << "シリアル通信の設定"
                              << "list1011" << 2 << QByteArray("Interface=1\r\ncom_port=2\r\n");
    QTest::newRow("RS-485") << 107 << "シリアル通信の設定"
                            << "list1082" << 1 << QByteArray("Interface=1\r\nrs_control=1\r\n");
    QTest::newRow("role") << 132 << "クライアント/サーバー"
                          << "list1084" << 1 << QByteArray("Interface=1\r\nClientServer=1\r\n");
}

// The program's menu opens the dialog; the choice is written at once, closing writes nothing
// more, and the main window's title follows the role once the dialog has closed.
void ChoiceDialogsTest::choiceIsWrittenAtOnce() {
    QFETCH(int, dialog);
    QFETCH(QString, caption);
    QFETCH(QString, listName);
    QFETCH(int, chosen);
    QFETCH(QByteArray, written);
    ConnectionBench bench;
    MainWindow& window = bench.program.window();
    QString shownCaption, titleWhileOpen;
    QByteArray writtenWhileOpen;
    QTimer::singleShot(0, [&] {
        QWidget* opened = QApplication::activeModalWidget();
        QVERIFY(opened);
        shownCaption = opened->windowTitle();
        auto* list = opened->findChild<QComboBox*>(listName);
        list->setCurrentIndex(chosen);
        emit list->activated(chosen);
        writtenWhileOpen = bench.settingsText();
        titleWhileOpen = window.windowTitle();
        QTest::keyClick(opened, Qt::Key_Escape);
    });
    window.openDialog(dialog);
    QCOMPARE(shownCaption, caption);
    QCOMPARE(writtenWhileOpen, section + written);
    QCOMPARE(bench.settingsText(), section + written);
    QCOMPARE(titleWhileOpen, "ZEV-530 Client Program");
    QCOMPARE(window.windowTitle(), dialog == 132 ? "ZEV-530 Server Program" : titleWhileOpen);
}

// The interface and the role must not change under an open TCP connection; the serial
// settings may.
void ChoiceDialogsTest::interfaceAndRoleLockedWhileConnected() {
    ConnectionBench bench("ClientServer=1\r\ncom_port=5\r\n");
    bench.state.tcpConnected = 1;
    InterfaceDialog interface(bench.state, bench.settingsFile);
    ClientServerDialog role(bench.state, bench.settingsFile);
    for (auto* list :
         {interface.findChild<QComboBox*>("list1014"), role.findChild<QComboBox*>("list1084")}) {
        QVERIFY(!list->isEnabled());
        QCOMPARE(list->currentIndex(), -1);
    }
    SerialSettingsDialog serial(bench.state, bench.settingsFile);
    QCOMPARE(serial.findChild<QComboBox*>("list1011")->currentText(), "COM 6");
    QVERIFY(serial.findChild<QComboBox*>("list1011")->isEnabled());
}

QTEST_MAIN(ChoiceDialogsTest)
#include "tst_choicedialogs.moc"
