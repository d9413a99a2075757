#include "ConnectionBench.h"
#include "connection/ClientServerDialog.h"
#include "connection/InterfaceDialog.h"
#include "connection/SerialSettingsDialog.h"
#include "support/ChosenDevice.h"

#include <QTimer>

class ChoiceDialogsTest : public QObject {
    Q_OBJECT
private slots:
    // Each choice is written at once; the window's title follows the role. The serial port
    // opened when the serial interface is chosen is the device the settings name for COM1, even
    // where it is absent: never the computer's own first port.
    void choicesWrittenAtOnceAndLockedWhileConnected() {
        const QByteArray devices = "com1_device=/nonexistent/zev-com1\r\n"
                                   "com3_device=/nonexistent/zev-com3\r\n";
        ConnectionBench bench(devices);
        QList<QByteArray> written; // the section as each choice leaves it
        const auto choose = [&](int dialog, const char* list, int row) {
            QTimer::singleShot(0, [&] {
                QWidget* opened = QApplication::activeModalWidget();
                emit opened->findChild<QComboBox*>(list)->activated(row);
                written << bench.settingsText().mid(section.size());
                opened->close();
            });
            bench.program.window().openDialog(dialog);
        };
        choose(InterfaceDialog::number, "interfaceList", 0);
        choose(SerialSettingsDialog::number, "comPortList", 2);
        choose(ClientServerDialog::number, "roleList", 1);
        QCOMPARE(written,
                 QList<QByteArray>(
                     {"Interface=0\r\n" + devices, "Interface=0\r\n" + devices + "com_port=2\r\n",
                      "Interface=0\r\n" + devices + "com_port=2\r\nClientServer=1\r\n"}));
        QCOMPARE(bench.program.window().windowTitle(), "ZEV-530 Server Program");
        QCOMPARE(bench.prompts.texts().first(), "Miss! File Open");
        QVERIFY(bench.prompts.boxes.first().detail.startsWith(
            QDir::toNativeSeparators("/nonexistent/zev-com1: ")));
        bench.prompts.clear();

        // A settings file that cannot be read is not written, and the operator is told.
        QVERIFY(QFile::remove(bench.settingsFile.path()));
        QVERIFY(QDir().mkdir(bench.settingsFile.path()));
        choose(SerialSettingsDialog::number, "comPortList", 1);
        QCOMPARE(bench.prompts.texts(),
                 QStringList{QDir::toNativeSeparators(bench.settingsFile.path()) +
                             " を読み込めないため、設定を書き込みませんでした。"});
        QVERIFY(QDir().rmdir(bench.settingsFile.path()));

        // The interface and the role must not change under an open TCP connection.
        const auto device = connectChosenDevice(bench.tcp, bench.state.link);
        QVERIFY(device);
        InterfaceDialog interface(bench.state, bench.settingsFile, bench.tcp,
                                  bench.program.serialLink());
        ClientServerDialog role(bench.state, bench.settingsFile, bench.tcp);
        for (auto* list : {interface.findChild<QComboBox*>("interfaceList"),
                           role.findChild<QComboBox*>("roleList")}) {
            QVERIFY(!list->isEnabled());
            QCOMPARE(list->currentIndex(), -1);
        }
    }
};

QTEST_MAIN(ChoiceDialogsTest)
#include "tst_choicedialogs.moc"
