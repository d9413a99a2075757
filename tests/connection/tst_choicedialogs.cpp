#include "app/AppState.h"
#include "app/Program.h"
#include "connection/ClientServerDialog.h"
#include "connection/InterfaceDialog.h"
#include "connection/SerialSettingsDialog.h"
#include "link/LinkSettings.h"
#include "support/RecordingPrompts.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList entries(const QComboBox* list) {
    QStringList texts;
    for (int index = 0; index < list->count(); ++index)
        texts << list->itemText(index);
    return texts;
}

// The operator picks an entry: the list shows it and reports the choice.
void pick(QComboBox* list, int index) {
    list->setCurrentIndex(index);
    emit list->activated(index);
}

std::unique_ptr<ConnectionDialog> makeDialog(int number, AppState& state, ProfileFile& file) {
    switch (number) {
    case InterfaceDialog::number:
        return std::make_unique<InterfaceDialog>(state, file);
    case SerialSettingsDialog::number:
        return std::make_unique<SerialSettingsDialog>(state, file);
    default:
        return std::make_unique<ClientServerDialog>(state, file);
    }
}

} // namespace

class ChoiceDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void listsStoreAndWriteEachChoice_data();
    void listsStoreAndWriteEachChoice();
    void keyboardChoiceIsWrittenBeforeAnyButton();
    void everyButtonEndsWithResult2();
    void interfaceAndRoleLockedWhileConnected();
    void serialListsNeverLocked();
    void titleFollowsTheRoleChosen();

private:
    QTemporaryDir folder;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ProfileFile> file;
};

void ChoiceDialogsTest::init() {
    state = std::make_unique<AppState>();
    file = std::make_unique<ProfileFile>(linkSettingsFile(ConfigFolder(folder.path())));
    QFile::remove(file->path());
}

void ChoiceDialogsTest::listsStoreAndWriteEachChoice_data() {
    QTest::addColumn<int>("dialog");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("listName");
    QTest::addColumn<QString>("groupLabel");
    QTest::addColumn<QStringList>("expectedEntries");
    QTest::addColumn<int>("startValue");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("interface") << 105 << "インターフェイスの設定"
                               << "list1014"
                               << "Interface" << QStringList{"RS-232C/485", "TCP/IP"} << 1 << 0
                               << QByteArray("Interface=0");
    QTest::newRow("COM port") << 107 << "シリアル通信の設定"
                              << "list1011"
                              << "COM Port"
                              << QStringList{"COM 1", "COM 2", "COM 3", "COM 4", "COM 5", "COM 6"}
                              << 0 << 2 << QByteArray("com_port=2");
    QTest::newRow("RS-485") << 107 << "シリアル通信の設定"
                            << "list1082"
                            << "Control" << QStringList{"RS-232C", "RS-485"} << 0 << 1
                            << QByteArray("rs_control=1");
    QTest::newRow("role") << 132 << "クライアント/サーバー"
                          << "list1084"
                          << "選択" << QStringList{"Client", "Server"} << 0 << 1
                          << QByteArray("ClientServer=1");
}

void ChoiceDialogsTest::listsStoreAndWriteEachChoice() {
    QFETCH(int, dialog);
    QFETCH(QString, caption);
    QFETCH(QString, listName);
    QFETCH(QString, groupLabel);
    QFETCH(QStringList, expectedEntries);
    QFETCH(int, startValue);
    QFETCH(int, chosen);
    QFETCH(QByteArray, written);
    int AppState::*field = listName == "list1014"   ? &AppState::interfaceKind
                           : listName == "list1011" ? &AppState::comPortIndex
                           : listName == "list1082" ? &AppState::rs485Mode
                                                    : &AppState::tcpRole;
    (*state).*field = startValue;
    state->cornerClickCount = 4;
    auto window = makeDialog(dialog, *state, *file);
    QCOMPARE(window->windowTitle(), caption);
    QCOMPARE(state->replyWindow, window.get());
    QCOMPARE(state->activeDialog, window.get());
    QCOMPARE(state->cornerClickCount, 0);
    auto* list = window->findChild<QComboBox*>(listName);
    QVERIFY(list);
    QCOMPARE(qobject_cast<QGroupBox*>(list->parentWidget())->title(), groupLabel);
    QCOMPARE(entries(list), expectedEntries);
    QCOMPARE(list->currentIndex(), startValue);
    QVERIFY(!QFile::exists(file->path())); // opening writes nothing

    pick(list, chosen);
    QCOMPARE((*state).*field, chosen);
    QCOMPARE(fileText(file->path()), "[ZEV-530TQ_Section]\r\n" + written + "\r\n");
}

void ChoiceDialogsTest::keyboardChoiceIsWrittenBeforeAnyButton() {
    state->interfaceKind = 1;
    InterfaceDialog window(*state, *file);
    window.show();
    auto* list = window.findChild<QComboBox*>("list1014");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(state->interfaceKind, 0);
    QCOMPARE(fileText(file->path()), "[ZEV-530TQ_Section]\r\nInterface=0\r\n");

    // Close does not undo the choice.
    QTest::mouseClick(window.findChild<QPushButton*>("button2"), Qt::LeftButton);
    QVERIFY(!window.isVisible());
    QCOMPARE(state->interfaceKind, 0);
    QCOMPARE(fileText(file->path()), "[ZEV-530TQ_Section]\r\nInterface=0\r\n");
}

void ChoiceDialogsTest::everyButtonEndsWithResult2() {
    const QList<QPair<int, QString>> buttons = {
        {105, "button1"}, {105, "button2"}, {107, "button1"}, {107, "button2"}, {132, "button1"}};
    for (const auto& [number, name] : buttons) {
        auto window = makeDialog(number, *state, *file);
        auto* button = window->findChild<QPushButton*>(name);
        QVERIFY(button);
        QCOMPARE(button->text(), name == "button1" ? "OK" : "Close");
        QCOMPARE(button->isDefault(), name == "button1");
        QTimer::singleShot(0, button, [button] { button->click(); });
        QCOMPARE(window->exec(), 2);
    }
    // Esc alike; the client/server dialog has OK only.
    ClientServerDialog roles(*state, *file);
    QVERIFY(!roles.findChild<QPushButton*>("button2"));
    QTimer::singleShot(0, &roles, [&roles] { QTest::keyClick(&roles, Qt::Key_Escape); });
    QCOMPARE(roles.exec(), 2);
    QVERIFY(!QFile::exists(file->path()));
}

void ChoiceDialogsTest::interfaceAndRoleLockedWhileConnected() {
    state->interfaceKind = 1;
    state->tcpRole = 1;
    state->tcpConnected = 1;
    InterfaceDialog interface(*state, *file);
    ClientServerDialog role(*state, *file);
    for (auto* list :
         {interface.findChild<QComboBox*>("list1014"), role.findChild<QComboBox*>("list1084")}) {
        QVERIFY(!list->isEnabled());
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(list->count(), 2);
    }
}

void ChoiceDialogsTest::serialListsNeverLocked() {
    state->interfaceKind = 1;
    state->tcpConnected = 1;
    state->comPortIndex = 5;
    state->rs485Mode = 1;
    SerialSettingsDialog window(*state, *file);
    QCOMPARE(window.findChild<QComboBox*>("list1011")->currentText(), "COM 6");
    QCOMPARE(window.findChild<QComboBox*>("list1082")->currentText(), "RS-485");
    QVERIFY(window.findChild<QComboBox*>("list1011")->isEnabled());
    QVERIFY(window.findChild<QComboBox*>("list1082")->isEnabled());
}

// The program's menu opens the dialog; the main window's title follows the role once the
// dialog has closed.
void ChoiceDialogsTest::titleFollowsTheRoleChosen() {
    RecordingPrompts prompts;
    QFile settings(file->path());
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("[ZEV-530TQ_Section]\r\nInterface=1\r\n");
    settings.close();
    Program program(prompts, ConfigFolder(folder.path()));
    program.start();
    MainWindow& window = program.window();
    window.setDialog(ClientServerDialog::number, [&program](QWidget* owner) {
        ClientServerDialog(program.state(), program.settingsFile(), owner).exec();
    });
    QCOMPARE(window.windowTitle(), "ZEV-530 Client Program");

    QString titleWhileOpen;
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = qobject_cast<ClientServerDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        pick(dialog->findChild<QComboBox*>("list1084"), 1);
        titleWhileOpen = window.windowTitle();
        dialog->findChild<QPushButton*>("button1")->click();
    });
    window.menuItem(40211)->trigger();
    QCOMPARE(titleWhileOpen, "ZEV-530 Client Program");
    QCOMPARE(window.windowTitle(), "ZEV-530 Server Program");
    QCOMPARE(fileText(file->path()), "[ZEV-530TQ_Section]\r\nInterface=1\r\nClientServer=1\r\n");
    QVERIFY(prompts.boxes.isEmpty());
}

QTEST_MAIN(ChoiceDialogsTest)
#include "tst_choicedialogs.moc"
