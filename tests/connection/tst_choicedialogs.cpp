#include "ConnectionBench.h"
#include "app/Program.h"
#include "connection/ClientServerDialog.h"
#include "connection/InterfaceDialog.h"
#include "connection/SerialSettingsDialog.h"

#include <QGroupBox>
#include <QTimer>

namespace {

// The operator picks an entry: the list shows it and reports the choice.
void pick(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

} // namespace

class ChoiceDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { bench = std::make_unique<ConnectionBench>(); }
    void listsStoreAndWriteEachChoice_data();
    void listsStoreAndWriteEachChoice();
    void interfaceAndRoleLockedWhileConnected();
    void titleFollowsTheRoleChosen();

private:
    std::unique_ptr<ConnectionDialog> makeDialog(int number);

    std::unique_ptr<ConnectionBench> bench;
};

std::unique_ptr<ConnectionDialog> ChoiceDialogsTest::makeDialog(int number) {
    AppState& state = bench->state;
    if (number == InterfaceDialog::number)
        return std::make_unique<InterfaceDialog>(state, bench->settingsFile);
    if (number == SerialSettingsDialog::number)
        return std::make_unique<SerialSettingsDialog>(state, bench->settingsFile);
    return std::make_unique<ClientServerDialog>(state, bench->settingsFile);
}

void ChoiceDialogsTest::listsStoreAndWriteEachChoice_data() {
    QTest::addColumn<int>("dialog");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("listName");
    QTest::addColumn<QString>("groupLabel");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QString>("closeButton");
    QTest::newRow("interface") << 105 << "インターフェイスの設定"
                               << "list1014"
                               << "Interface" << QStringList{"RS-232C/485", "TCP/IP"} << 0
                               << QByteArray("Interface=0") << "button2";
    QTest::newRow("COM port") << 107 << "シリアル通信の設定"
                              << "list1011"
                              << "COM Port"
                              << QStringList{"COM 1", "COM 2", "COM 3", "COM 4", "COM 5", "COM 6"}
                              << 2 << QByteArray("com_port=2") << "button1";
    QTest::newRow("RS-485") << 107 << "シリアル通信の設定"
                            << "list1082"
                            << "Control" << QStringList{"RS-232C", "RS-485"} << 1
                            << QByteArray("rs_control=1") << "button2";
    QTest::newRow("role") << 132 << "クライアント/サーバー"
                          << "list1084"
                          << "選択" << QStringList{"Client", "Server"} << 1
                          << QByteArray("ClientServer=1") << "button1";
}

void ChoiceDialogsTest::listsStoreAndWriteEachChoice() {
    QFETCH(int, dialog);
    QFETCH(QString, caption);
    QFETCH(QString, listName);
    QFETCH(QString, groupLabel);
    QFETCH(QStringList, entries);
    QFETCH(int, chosen);
    QFETCH(QByteArray, written);
    QFETCH(QString, closeButton);
    AppState& state = bench->state;
    int& field = listName == "list1014"   ? state.interfaceKind
                 : listName == "list1011" ? state.comPortIndex
                 : listName == "list1082" ? state.rs485Mode
                                          : state.tcpRole;
    field = 1 - chosen % 2; // anything but the entry chosen below
    state.cornerClickCount = 4;
    auto window = makeDialog(dialog);
    QCOMPARE(window->windowTitle(), caption);
    QCOMPARE(state.replyWindow, window.get());
    QCOMPARE(state.cornerClickCount, 0);
    auto* list = window->findChild<QComboBox*>(listName);
    QCOMPARE(qobject_cast<QGroupBox*>(list->parentWidget())->title(), groupLabel);
    QStringList shown;
    for (int index = 0; index < list->count(); ++index)
        shown << list->itemText(index);
    QCOMPARE(shown, entries);
    QCOMPARE(list->currentIndex(), field);

    // Stored and written at once; closing neither undoes nor writes anything.
    pick(list, chosen);
    QCOMPARE(field, chosen);
    const QByteArray expected = "[ZEV-530TQ_Section]\r\n" + written + "\r\n";
    QCOMPARE(bench->settingsText(), expected);
    QTimer::singleShot(0, window.get(), [&] { button(*window, qPrintable(closeButton))->click(); });
    QCOMPARE(window->exec(), 2);
    QCOMPARE(field, chosen);
    QCOMPARE(bench->settingsText(), expected);
    QTimer::singleShot(0, window.get(), [&] { QTest::keyClick(window.get(), Qt::Key_Escape); });
    QCOMPARE(window->exec(), 2);
    QCOMPARE(button(*window, "button2") != nullptr, dialog != 132); // 132 has OK only
}

void ChoiceDialogsTest::interfaceAndRoleLockedWhileConnected() {
    AppState& state = bench->state;
    state.interfaceKind = 1;
    state.tcpRole = 1;
    state.tcpConnected = 1;
    state.comPortIndex = 5;
    InterfaceDialog interface(state, bench->settingsFile);
    ClientServerDialog role(state, bench->settingsFile);
    for (auto* list :
         {interface.findChild<QComboBox*>("list1014"), role.findChild<QComboBox*>("list1084")}) {
        QVERIFY(!list->isEnabled());
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->count(), 2);
    }
    // The serial settings stay open to change.
    SerialSettingsDialog serial(state, bench->settingsFile);
    QCOMPARE(serial.findChild<QComboBox*>("list1011")->currentText(), "COM 6");
    QVERIFY(serial.findChild<QComboBox*>("list1011")->isEnabled());
    QVERIFY(serial.findChild<QComboBox*>("list1082")->isEnabled());
}

// The program's menu opens the dialog; the main window's title follows the role once the
// dialog has closed.
void ChoiceDialogsTest::titleFollowsTheRoleChosen() {
    bench->loadSettings("Interface=1\r\n");
    Program program(bench->prompts, ConfigFolder(bench->folder.path()));
    program.start();
    MainWindow& window = program.window();
    window.setDialog(ClientServerDialog::number, [&program](QWidget* owner) {
        ClientServerDialog(program.state(), program.settingsFile(), owner).exec();
    });
    QString titleWhileOpen;
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = qobject_cast<ClientServerDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        pick(dialog->findChild<QComboBox*>("list1084"), 1);
        titleWhileOpen = window.windowTitle();
        button(*dialog, "button1")->click();
    });
    window.menuItem(40211)->trigger();
    QCOMPARE(titleWhileOpen, "ZEV-530 Client Program");
    QCOMPARE(window.windowTitle(), "ZEV-530 Server Program");
    QCOMPARE(bench->settingsText(), "[ZEV-530TQ_Section]\r\nInterface=1\r\nClientServer=1\r\n");
}

QTEST_MAIN(ChoiceDialogsTest)
#include "tst_choicedialogs.moc"
