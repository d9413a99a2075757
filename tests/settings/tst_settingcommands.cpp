#include "settings/CharacterLevelCommands.h"
#include "settings/DeviceAddressCommands.h"
#include "settings/DisplayPageCommands.h"
#include "settings/DisplayPositionCommands.h"
#include "settings/StartupPageCommands.h"

#include <QTest>

// Every command line that the small setting dialogs compose, byte for byte.
class SettingCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void composedLine_data();
    void composedLine();
};

void SettingCommandsTest::composedLine_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("value");
    QTest::addColumn<QByteArray>("line");

    const auto row = [](const char* name, const char* command, int area, int value,
                        const char* line) {
        QTest::newRow(name) << QString::fromLatin1(command) << area << value << QByteArray(line);
    };

    row("page: ch.1 Top page 1", "P", 0, 0, "P01T01\r\n");
    row("page: ch.1 Bottom page 10", "P", 1, 9, "P01B10\r\n");
    row("page: ch.2 Top page 64", "P", 2, 63, "P02T64\r\n");
    row("page: ch.2 Bottom AUTO", "P", 3, 64, "P02BAS\r\n");
    row("page: above AUTO goes as AUTO", "P", 0, 65, "P01TAS\r\n");
    row("page: far above AUTO", "P", 1, 1000, "P01BAS\r\n");
    row("page: below page 1 goes as page 1", "P", 2, -1, "P02T01\r\n");

    row("start-up: ch.1 Top page 1", "SUS", 0, 0, "SUS01T01\r\n");
    row("start-up: ch.2 Bottom AUTO", "SUS", 3, 64, "SUS02BAS\r\n");
    row("start-up: ch.1 Bottom page 33", "SUS", 1, 32, "SUS01B33\r\n");
    row("start-up: ch.2 Top page 64", "SUS", 2, 63, "SUS02T64\r\n");
    row("start-up: above AUTO", "SUS", 2, 99, "SUS02TAS\r\n");
    row("start-up: below page 1", "SUS", 0, -7, "SUS01T01\r\n");

    row("white level 1", "CWL", 0, 1, "CWL1\r\n");
    row("white level 0", "CWL", 0, 0, "CWL0\r\n");
    row("white level 3", "CWL", 0, 3, "CWL3\r\n");
    row("white level above 3", "CWL", 0, 4, "CWL3\r\n");
    row("edge level 1", "CEL", 0, 1, "CEL1\r\n");
    row("edge level 0", "CEL", 0, 0, "CEL0\r\n");
    row("edge level 3", "CEL", 0, 3, "CEL3\r\n");
    row("edge level below 0", "CEL", 0, -1, "CEL0\r\n");

    row("position: ch.1 Top 7", "CTDPO", 0, 7, "CTDPO01T07\r\n");
    row("position: ch.2 Bottom 7", "CTDPO", 3, 7, "CTDPO02B07\r\n");
    row("position: ch.1 Top 0", "CTDPO", 0, 0, "CTDPO01T00\r\n");
    row("position: ch.1 Bottom 15", "CTDPO", 1, 15, "CTDPO01B15\r\n");
    row("position: ch.2 Top 10", "CTDPO", 2, 10, "CTDPO02T10\r\n");
    row("position: above 15", "CTDPO", 2, 100, "CTDPO02T15\r\n");
    row("position: below 0", "CTDPO", 3, -2, "CTDPO02B00\r\n");

    row("address 5", "SA", 0, 5, "SA05\r\n");
    row("address 31", "SA", 0, 31, "SA31\r\n");
    row("address 0", "SA", 0, 0, "SA00\r\n");
    row("address Broadcast", "SA", 0, 32, "SA32\r\n");
    row("address above Broadcast", "SA", 0, 40, "SA32\r\n");
    row("address below 0 counts as Broadcast", "SA", 0, -1, "SA32\r\n");
}

void SettingCommandsTest::composedLine() {
    QFETCH(QString, command);
    QFETCH(int, area);
    QFETCH(int, value);
    QFETCH(QByteArray, line);

    QByteArray composed;
    if (command == "P")
        composed = displayPageLine(area, value);
    else if (command == "SUS")
        composed = startupPageLine(area, value);
    else if (command == "CWL")
        composed = whiteLevelLine(value);
    else if (command == "CEL")
        composed = edgeLevelLine(value);
    else if (command == "CTDPO")
        composed = displayPositionLine(area, value);
    else if (command == "SA")
        composed = deviceAddressLine(value);
    QCOMPARE(composed, line);
}

QTEST_APPLESS_MAIN(SettingCommandsTest)
#include "tst_settingcommands.moc"
