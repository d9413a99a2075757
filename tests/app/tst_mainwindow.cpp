#include "app/FrontPanelView.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "support/ChosenDevice.h"
#include "support/Files.h"
#include "support/RecordingPrompts.h"

#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

class MainWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder;
    RecordingPrompts prompts;
    std::unique_ptr<Program> program;
    QList<int> opened;

    void startProgram(const QByteArray& settings) {
        program.reset();
        writeFile(folder.filePath("zev530tq.ini"), "[ZEV-530TQ_Section]\r\n" + settings);
        program = std::make_unique<Program>(prompts, ConfigFolder(folder.path()));
        program->start();
    }

private slots:
    void init() {
        prompts.clear();
        opened.clear();
        startProgram("Interface=1\r\n");
        for (int dialog : {100, 102, 105, 106, 107, 108, 109, 110, 111, 112, 114, 115, 116, 117,
                           118, 125, 132, 134})
            program->window().setDialog(dialog, [this, dialog](QWidget*) { opened << dialog; });
    }

    void menuOpensTheDialogs() {
        MainWindow& window = program->window();
        using enum MenuItem;
        for (MenuItem item :
             {DisplayPage, Title, TitleDisplay, AutoSwitching, StartupPage, CharacterLevel,
              DisplayPosition, GlyphRegistration, GlyphInsertion, SendAll, SlaveAddress, ReadBack,
              Interface, SerialSettings, ClientServer, About, TcpSettings})
            window.menuItem(item)->trigger();
        // The role chosen in the client/server dialog (132) picks the TCP/IP settings dialog.
        window.setDialog(132,
                         [this](QWidget*) { program->state().link.tcpRole = TcpRole::Server; });
        window.menuItem(ClientServer)->trigger();
        window.menuItem(TcpSettings)->trigger();
        QCOMPARE(opened, QList<int>({109, 108, 114, 117, 110, 111, 116, 115, 112, 106, 125, 118,
                                     105, 107, 132, 100, 134, 102}));
        // The file items run the document's operations.
        const QString path = folder.filePath("menu.dat");
        prompts.chooseNext(path);
        window.menuItem(SaveDocumentAs)->trigger();
        window.menuItem(NewDocument)->trigger();
        QCOMPARE(fileNameLabelText(program->document()), "File Name ");
        prompts.chooseNext(path);
        window.menuItem(OpenDocument)->trigger();
        QCOMPARE(fileNameLabelText(program->document()), path);
        QCOMPARE(prompts.unexpected, 0);
    }

    // The link-dependent items as the menu opens; the others always enabled.
    void menuEnablesTheItemsOfTheLink_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QString>("enabled"); // serial, client/server, TCP/IP, slave address
        QTest::newRow("RS-232C") << QByteArray("Interface=0\r\nrs_control=0\r\n") << "S---";
        QTest::newRow("RS-485") << QByteArray("Interface=0\r\nrs_control=1\r\n") << "S--A";
        QTest::newRow("TCP/IP") << QByteArray("Interface=1\r\nrs_control=0\r\n") << "-CTA";
    }
    void menuEnablesTheItemsOfTheLink() {
        QFETCH(QByteArray, settings);
        QFETCH(QString, enabled);
        startProgram(settings);
        MainWindow& window = program->window();
        window.menuBar()->actions().at(2)->menu()->aboutToShow();
        QString shown;
        using enum MenuItem;
        for (const auto& [item, letter] : {std::pair{SerialSettings, 'S'},
                                           {ClientServer, 'C'},
                                           {TcpSettings, 'T'},
                                           {SlaveAddress, 'A'}})
            shown += window.menuItem(item)->isEnabled() ? QChar(letter) : QChar('-');
        QCOMPARE(shown, enabled);
        QVERIFY(window.menuItem(ReadBack)->isEnabled() && window.menuItem(SendAll)->isEnabled());
    }

    // Ten right-clicks in a row in the corner open the read-back; one elsewhere starts again.
    void cornerGestureOpensTheReadBack() {
        MainWindow& window = program->window();
        const auto clicks = [&](int count, QPoint at) {
            for (int click = 0; click < count; ++click)
                window.countCornerClick(at);
        };
        clicks(9, {5, 5});
        clicks(1, {30, 5});
        clicks(9, {19, 19});
        QCOMPARE(opened, QList<int>());
        clicks(1, {0, 0});
        QCOMPARE(opened, QList<int>{118});
        clicks(9, {1, 1});
        QCOMPARE(opened, QList<int>{118});
    }

    // The file items answer their usual keys, and Alt with a menu's letter opens it.
    void keys() {
        MainWindow& window = program->window();
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        program->document().documentModified = 1;
        prompts.chooseNext(""); // Save As, cancelled
        prompts.answerNext(false);
        prompts.answerNext(false);
        for (const char* keys : {"Ctrl+S", "Ctrl+Shift+S", "Ctrl+O", "Ctrl+N"})
            QTest::keySequence(&window, QKeySequence(QString::fromLatin1(keys)));
        QCOMPARE(prompts.texts(), QStringList{"Don't file open"});
        QCOMPARE(prompts.fileDialogs.size(), 1);
        QCOMPARE(prompts.questions.size(), 2);
        QCOMPARE(prompts.questions.last().text, "データを保存せずに新規作成しますか？");
        QCOMPARE(prompts.unexpected, 0);
        QMenu* fileMenu = window.menuBar()->actions().constFirst()->menu();
        QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
        QTRY_VERIFY(fileMenu->isVisible());
        fileMenu->close();
    }

    // Every dialog the program opens names its widgets for what they do, never by a resource
    // number, and gives each control the name the operator reads, for assistive tools.
    void dialogWidgetsNamedForTheOperator() {
        startProgram("Interface=1\r\n");
        QStringList dialogs, misnamed;
        for (int number = 100; number <= 140; ++number) {
            QTimer::singleShot(0, [&] {
                QWidget* dialog = QApplication::activeModalWidget();
                if (dialog == nullptr)
                    return;
                dialogs << dialog->objectName();
                for (QWidget* widget : dialog->findChildren<QWidget*>()) {
                    const QString name = widget->objectName();
                    if (name.isEmpty() || name.startsWith("qt_") ||
                        widget->parent()->inherits("IpAddressEdit"))
                        continue;
                    const bool control = std::ranges::any_of(
                        std::array{"QAbstractButton", "QComboBox", "QAbstractItemView", "QLineEdit",
                                   "IpAddressEdit"},
                        [widget](const char* kind) { return widget->inherits(kind); });
                    // A kind of control and a number: "list1020", "button2".
                    if (name.contains(QRegularExpression("^[a-z]+\\d+$")) ||
                        (control && widget->accessibleName().isEmpty()))
                        misnamed << dialog->objectName() + "/" + name;
                }
                dialog->close();
            });
            program->window().openDialog(number);
            QCoreApplication::processEvents(); // the check above, when nothing opened
        }
        QVERIFY(dialogs.size() >= 14); // every dialog of the menu that is built so far
        QCOMPARE(misnamed.join(", "), QString());
    }

    // Refused while connected, from the menu and the close button alike; a modified document
    // asks first (its answers: tst_documentfiles). The window opens at the top-left corner of the
    // screen's free area, placed by the program itself.
    void exit() {
        MainWindow& window = program->window();
        QVERIFY(window.testAttribute(Qt::WA_Moved));
        window.show();
        QCOMPARE(window.frameGeometry().topLeft(), window.screen()->availableGeometry().topLeft());
        const auto device = connectChosenDevice(program->tcpLink(), program->state().link);
        QVERIFY(device);
        window.menuItem(MenuItem::Exit)->trigger();
        QVERIFY(!window.close());
        QCOMPARE(prompts.texts(), QStringList(2, "TCP/IPを切断してください。"));
        program->tcpLink().stopServer();
        program->document().documentModified = 1;
        prompts.answerNext(true);
        QVERIFY(window.close());
        QCOMPARE(prompts.questions.last().text, "データを保存せずに終了しますか？");
        QCOMPARE(program->state().running, 0);
    }

    // Start-up also removes what a killed save of the settings file left, and nothing else.
    void startUpReadsTheSettingsFile() {
        for (const char* name : {"zev530tq.ini.zev530tq-new", "zev530tq.ini.backup"})
            writeFile(folder.filePath(name), {});
        startProgram("Interface=1\r\nClientServer=1\r\nport_number=09004\r\n");
        QCOMPARE(program->window().windowTitle(), "ZEV-530 Server Program");
        QVERIFY(!QFile::exists(folder.filePath("zev530tq.ini.zev530tq-new")));
        QVERIFY(QFile::remove(folder.filePath("zev530tq.ini.backup")));

        // COM1 names a device that does not exist here.
        QVERIFY(QFile::link("/nonexistent/zev530tq-port", folder.filePath("COM1")));
        startProgram("Interface=0\r\n");
        QCOMPARE(prompts.texts().first(), "Miss! File Open"); // the rest: tst_serialrecovery
    }

    // A traffic log that cannot be written is said in a box at start; the program goes on.
    void trafficLogThatCannotBeWrittenIsSaid() {
        TrafficLogFile log;
        program->keepTrafficLog(log, "/dev/full");
        QCOMPARE(prompts.texts(), QStringList{"Can't file open"});
        QVERIFY(prompts.boxes[0].detail.endsWith("/dev/full: No space left on device"));
    }

    // The first instance is a real process; the second, this one, is refused and ends with 0.
    void secondInstanceIsRefused() {
        QTemporaryDir temporary;
        QProcess first;
        first.setEnvironment(QProcess::systemEnvironment() << "XDG_RUNTIME_DIR=" + temporary.path()
                                                           << "XDG_CONFIG_HOME=" + folder.path());
        first.start(QStringLiteral(ZEV530TQ_EXECUTABLE));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(temporary.filePath("TCP_X_Mutex")), 10000);

        const QByteArray runtimeFolder = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", temporary.path().toLocal8Bit());
        program.reset();
        QCOMPARE(runProgram(prompts, ConfigFolder(folder.path())), 0);
        QCOMPARE(prompts.texts(), QStringList{"２重に起動はできません"});

        // A first instance that dies leaves no lock behind that keeps the program out.
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        QVERIFY(QFile::exists(temporary.filePath("TCP_X_Mutex")));
        QVERIFY(SingleInstance().acquire());
        qputenv("XDG_RUNTIME_DIR", runtimeFolder);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
