#include "app/AppState.h"
#include "connection/IpAddressEdit.h"
#include "connection/TcpClientDialog.h"
#include "link/LinkSettings.h"
#include "link/TcpLink.h"
#include "protocol/MessageBoxes.h"
#include "support/RecordingPrompts.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QByteArray section = "[ZEV-530TQ_Section]\r\n";

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList rows(const QListWidget* list) {
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

// Types as the operator does: each key goes to whichever field has the focus by then.
void typeText(const QString& text) {
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

QPoint rowCenter(QListWidget* list, int row) {
    return list->visualItemRect(list->item(row)).center();
}

// A double-click begins with a click, as the operator's does.
void doubleClickRow(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCenter(list, row));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowCenter(list, row));
}

} // namespace

class TcpClientDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void rowTextOfAHost_data();
    void rowTextOfAHost();
    void addressEntryBehavesLikeFourFields();
    void addToAnEmptyList();
    void addWithTheAddressLeftEmpty();
    void addBeyondTheTableIsRefused();
    void deleteTheFirstOfThree();
    void deleteWithoutASelectedRowDoesNothing();
    void doubleClickChoosesTheHost();
    void chosenHostOutsideTheListIsNotShownNorConnected();
    void portIsCopiedAtOnceAndWrittenAtClose();
    void buttonsFollowTcpConnected();

private:
    std::unique_ptr<TcpClientDialog> openDialog();
    void writeSettings(const QByteArray& lines);
    QListWidget* hostList(TcpClientDialog& window);
    QPushButton* button(TcpClientDialog& window, const char* name);

    QTemporaryDir folder;
    RecordingPrompts prompts;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ProfileFile> file;
    std::unique_ptr<MessageBoxes> boxes;
    std::unique_ptr<TcpLink> tcp;
};

void TcpClientDialogTest::init() {
    prompts.clear();
    tcp.reset();
    state = std::make_unique<AppState>();
    file = std::make_unique<ProfileFile>(linkSettingsFile(ConfigFolder(folder.path())));
    boxes = std::make_unique<MessageBoxes>(prompts, *state);
    tcp = std::make_unique<TcpLink>(*state, *boxes);
    QFile::remove(file->path());
}

void TcpClientDialogTest::writeSettings(const QByteArray& lines) {
    QFile settings(file->path());
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write(section + lines);
    settings.close();
    loadLinkSettings(*state, *file);
}

std::unique_ptr<TcpClientDialog> TcpClientDialogTest::openDialog() {
    auto window = std::make_unique<TcpClientDialog>(*state, *file, *tcp, *boxes);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the dialog did not become active");
    return window;
}

QListWidget* TcpClientDialogTest::hostList(TcpClientDialog& window) {
    return window.findChild<QListWidget*>("list1086");
}

QPushButton* TcpClientDialogTest::button(TcpClientDialog& window, const char* name) {
    return window.findChild<QPushButton*>(name);
}

void TcpClientDialogTest::rowTextOfAHost_data() {
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("d");
    QTest::addColumn<QString>("row");
    QTest::newRow("192.168.1.10") << 192 << 168 << 1 << 10 << "192 .168 .001 .010";
    QTest::newRow("0.0.0.0") << 0 << 0 << 0 << 0 << "000 .000 .000 .000";
    QTest::newRow("255.255.255.255") << 255 << 255 << 255 << 255 << "255 .255 .255 .255";
}

void TcpClientDialogTest::rowTextOfAHost() {
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, c);
    QFETCH(int, d);
    QFETCH(QString, row);
    const QString text =
        hostRowText({std::uint8_t(a), std::uint8_t(b), std::uint8_t(c), std::uint8_t(d)});
    QCOMPARE(text, row);
    QCOMPARE(text.size(), TcpClientDialog::rowTextLength);
}

void TcpClientDialogTest::addressEntryBehavesLikeFourFields() {
    IpAddressEdit entry;
    entry.show();
    entry.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&entry));
    QVERIFY(entry.isBlank());
    QCOMPARE(entry.address(), (IpAddressEdit::Octets{0, 0, 0, 0}));

    // Three digits move on by themselves, a dot moves on after fewer.
    entry.field(0)->setFocus();
    typeText("1921681.10");
    QCOMPARE(entry.address(), (IpAddressEdit::Octets{192, 168, 1, 10}));
    QCOMPARE(QApplication::focusWidget(), entry.field(3));

    // A value above 255 cannot be typed; an empty field reads 0.
    entry.clear();
    entry.field(1)->setFocus();
    QTest::keyClicks(entry.field(1), "300");
    QCOMPARE(entry.field(1)->text(), "30");
    QTest::keyClicks(entry.field(2), "x-1");
    QCOMPARE(entry.field(2)->text(), "1");
    QCOMPARE(entry.address(), (IpAddressEdit::Octets{0, 30, 1, 0}));

    // Backspace in an empty field goes back to the end of the one before it.
    entry.field(3)->setFocus();
    QTest::keyClick(entry.field(3), Qt::Key_Backspace);
    QCOMPARE(QApplication::focusWidget(), entry.field(2));
    QTest::keyClick(entry.field(2), Qt::Key_Backspace);
    QCOMPARE(entry.field(2)->text(), "");

    entry.setAddress({10, 0, 0, 5});
    QCOMPARE(entry.field(0)->text(), "10");
    QCOMPARE(entry.address(), (IpAddressEdit::Octets{10, 0, 0, 5}));
}

void TcpClientDialogTest::addToAnEmptyList() {
    auto window = openDialog();
    QCOMPARE(window->windowTitle(), "TCP/IPの設定（Client）");
    auto* address = window->findChild<IpAddressEdit*>("address1085");
    address->field(0)->setFocus();
    typeText("10.0.0.5");
    QTest::mouseClick(button(*window, "button1087"), Qt::LeftButton);

    QCOMPARE(rows(hostList(*window)), QStringList{"010 .000 .000 .005"});
    QCOMPARE(state->hostCount, 1);
    QCOMPARE(state->hostAddresses[0], (std::array<std::uint8_t, 4>{10, 0, 0, 5}));
    QCOMPARE(state->selectedConnection, 0);
    QCOMPARE(fileText(file->path()),
             section + "list_count=1\r\nip00_0=10\r\nip00_1=0\r\nip00_2=0\r\nip00_3=5\r\n");
}

void TcpClientDialogTest::addWithTheAddressLeftEmpty() {
    writeSettings("list_count=1\r\nip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n");
    auto window = openDialog();
    window->findChild<IpAddressEdit*>("address1085")->clear();
    window->addHost();
    QCOMPARE(rows(hostList(*window)), QStringList({"192 .168 .001 .010", "000 .000 .000 .000"}));
    QCOMPARE(fileText(file->path()),
             section + "list_count=2\r\nip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n" +
                 "ip01_0=0\r\nip01_1=0\r\nip01_2=0\r\nip01_3=0\r\n");
}

void TcpClientDialogTest::addBeyondTheTableIsRefused() {
    writeSettings("list_count=255\r\n");
    auto window = openDialog();
    window->findChild<IpAddressEdit*>("address1085")->setAddress({10, 1, 2, 3});
    window->addHost(); // the 256th fits, as entry 255 (keys "ipI5_0" ...)
    QCOMPARE(state->hostCount, 256);
    QCOMPARE(hostList(*window)->item(255)->text(), "010 .001 .002 .003");
    QVERIFY(fileText(file->path()).endsWith("ipI5_0=10\r\nipI5_1=1\r\nipI5_2=2\r\nipI5_3=3\r\n"));
    QVERIFY(prompts.boxes.isEmpty());

    const QByteArray before = fileText(file->path());
    window->addHost();
    QCOMPARE(state->hostCount, 256);
    QCOMPARE(hostList(*window)->count(), 256);
    QCOMPARE(fileText(file->path()), before);
    QCOMPARE(prompts.texts(), QStringList{"Host List には256件までしか登録できません。"});
    QCOMPARE(prompts.boxes.first().caption, "Error");
    QCOMPARE(prompts.boxes.first().owner, window.get());
}

void TcpClientDialogTest::deleteTheFirstOfThree() {
    const QByteArray hosts = "list_count=3\r\nselect_number=2\r\n"
                             "ip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n"
                             "ip01_0=10\r\nip01_1=0\r\nip01_2=0\r\nip01_3=5\r\n"
                             "ip02_0=172\r\nip02_1=16\r\nip02_2=0\r\nip02_3=1\r\n";
    writeSettings(hosts);
    auto window = openDialog();
    QListWidget* list = hostList(*window);
    QCOMPARE(rows(list),
             QStringList({"192 .168 .001 .010", "010 .000 .000 .005", "172 .016 .000 .001"}));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCenter(list, 0));
    QCOMPARE(state->selectedConnection, 2); // a single click only selects the row
    QTest::mouseClick(button(*window, "button1088"), Qt::LeftButton);

    QCOMPARE(rows(list), QStringList({"010 .000 .000 .005", "172 .016 .000 .001"}));
    QCOMPARE(state->hostCount, 2);
    QCOMPARE(state->selectedConnection, 2);
    // The moved hosts are rewritten in place; the keys of the former last one stay behind.
    QCOMPARE(fileText(file->path()), section +
                                         "list_count=2\r\nselect_number=2\r\n"
                                         "ip00_0=10\r\nip00_1=0\r\nip00_2=0\r\nip00_3=5\r\n"
                                         "ip01_0=172\r\nip01_1=16\r\nip01_2=0\r\nip01_3=1\r\n"
                                         "ip02_0=172\r\nip02_1=16\r\nip02_2=0\r\nip02_3=1\r\n");
    AppState reread;
    loadLinkSettings(reread, *file);
    QCOMPARE(reread.hostCount, 2);
    QCOMPARE(reread.hostAddresses[1], (std::array<std::uint8_t, 4>{172, 16, 0, 1}));

    // No row stays selected: a second press deletes nothing.
    QVERIFY(list->selectedItems().isEmpty());
    window->deleteSelectedHost();
    QCOMPARE(state->hostCount, 2);
}

void TcpClientDialogTest::deleteWithoutASelectedRowDoesNothing() {
    auto window = openDialog();
    window->deleteSelectedHost(); // empty list
    writeSettings("list_count=2\r\nip00_0=1\r\nip01_0=2\r\n");
    window = openDialog();
    const QByteArray before = fileText(file->path());
    QTest::mouseClick(button(*window, "button1088"), Qt::LeftButton);
    QCOMPARE(hostList(*window)->count(), 2);
    QCOMPARE(state->hostCount, 2);
    QCOMPARE(fileText(file->path()), before);
    QVERIFY(prompts.boxes.isEmpty());
}

void TcpClientDialogTest::doubleClickChoosesTheHost() {
    writeSettings("list_count=2\r\nip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n"
                  "ip01_0=10\r\nip01_1=0\r\nip01_2=0\r\nip01_3=5\r\n");
    auto window = openDialog();
    auto* address = window->findChild<IpAddressEdit*>("address1085");
    QCOMPARE(address->address(), (IpAddressEdit::Octets{192, 168, 1, 10})); // host 0 chosen
    QListWidget* list = hostList(*window);
    doubleClickRow(list, 1);
    QCOMPARE(state->selectedConnection, 1);
    QCOMPARE(address->address(), (IpAddressEdit::Octets{10, 0, 0, 5}));
    QCOMPARE(fileText(file->path()),
             section + "list_count=2\r\nip00_0=192\r\nip00_1=168\r\nip00_2=1\r\nip00_3=10\r\n"
                       "ip01_0=10\r\nip01_1=0\r\nip01_2=0\r\nip01_3=5\r\nselect_number=1\r\n");
}

void TcpClientDialogTest::chosenHostOutsideTheListIsNotShownNorConnected() {
    for (const QByteArray chosen : {"-1", "2"}) {
        prompts.clear();
        writeSettings("list_count=2\r\nip00_0=127\r\nip00_3=1\r\nip01_0=127\r\nip01_3=1\r\n"
                      "select_number=" +
                      chosen + "\r\n");
        auto window = openDialog();
        auto* address = window->findChild<IpAddressEdit*>("address1085");
        QVERIFY(address->isBlank());
        QCOMPARE(hostList(*window)->count(), 2);
        address->setAddress({127, 0, 0, 1}); // typed: not what a connect uses
        QTest::mouseClick(button(*window, "button1092"), Qt::LeftButton);
        QVERIFY(!tcp->hasClientSocket());
        QCOMPARE(state->tcpConnected, 0);
        QCOMPARE(
            prompts.texts(),
            QStringList{"接続先が選ばれていません。Host List の行をダブルクリックしてください。"});
        QVERIFY(button(*window, "button1092")->isEnabled());
    }
}

void TcpClientDialogTest::portIsCopiedAtOnceAndWrittenAtClose() {
    auto window = openDialog();
    auto* port = window->findChild<QLineEdit*>("edit1090");
    QCOMPARE(port->text(), "09004");
    port->selectAll();
    QTest::keyClicks(port, "123456");
    QCOMPARE(port->text(), "12345");
    QCOMPARE(state->portNumberText.view(), "12345");
    QVERIFY(!QFile::exists(file->path())); // not before the dialog closes
    QTest::mouseClick(button(*window, "button1"), Qt::LeftButton);
    QCOMPARE(window->result(), 2);
    QCOMPARE(fileText(file->path()), section + "port_number=12345\r\n");

    // Esc closes it alike; the text is kept as typed, leading zero and all.
    window = openDialog();
    port = window->findChild<QLineEdit*>("edit1090");
    port->setText("0080");
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(!window->isVisible());
    QCOMPARE(fileText(file->path()), section + "port_number=0080\r\n");
}

void TcpClientDialogTest::buttonsFollowTcpConnected() {
    for (const int connected : {0, 1}) {
        state->tcpConnected = connected;
        auto window = openDialog();
        QCOMPARE(button(*window, "button1092")->isEnabled(), connected == 0);
        QCOMPARE(button(*window, "button1089")->isEnabled(), connected == 1);
        QVERIFY(button(*window, "button1")->isDefault());
    }
}

QTEST_MAIN(TcpClientDialogTest)
#include "tst_tcpclientdialog.moc"
