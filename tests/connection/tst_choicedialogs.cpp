#include "ConnectionBench.h"
#include "connection/ClientServerDialog.h"
#include "connection/InterfaceDialog.h"
#include "connection/SerialSettingsDialog.h"
#include "support/ChosenDevice.h"

#include <QTimer>

class ChoiceDialogsTest : public QObject {
    Q_OBJECT
private slots:
    // Each choice is written at once; the window's title follows the role.
    void choicesWrittenAtOnceAndLockedWhileConnected() {
        ConnectionBench bench;
        const struct {
            int dialog;
            const char* list;
            int chosen;
        } choices[] = {{105, "interfaceList", 0}, {107, "comPortList", 2}, {132, "roleList", 1}};
        QList<QByteArray> written;
        for (const auto& choice : choices) {
            QTimer::singleShot(0, [&] {
                QWidget* opened = QApplication::activeModalWidget();
                emit opened->findChild<QComboBox*>(choice.list)->activated(choice.chosen);
                written << bench.settingsText().mid(section.size());
                opened->close();
            });
            bench.program.window().openDialog(choice.dialog);
        }
        QCOMPARE(written, QList<QByteArray>({"Interface=0\r\n", "Interface=0\r\ncom_port=2\r\n",
                                             "Interface=0\r\ncom_port=2\r\nClientServer=1\r\n"}));
        QCOMPARE(bench.program.window().windowTitle(), "ZEV-530 Server Program");

        // A settings file that cannot be read is not written, and the operator is told.
        QVERIFY(QFile::remove(bench.settingsFile.path()));
        QVERIFY(QDir().mkdir(bench.settingsFile.path()));
        QTimer::singleShot(0, [] {
            QWidget* opened = QApplication::activeModalWidget();
            emit opened->findChild<QComboBox*>("comPortList")->activated(1);
            opened->close();
        });
        bench.program.window().openDialog(SerialSettingsDialog::number);
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
