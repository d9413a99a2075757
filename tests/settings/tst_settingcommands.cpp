#include "settings/CharacterLevelCommands.h"
#include "settings/DeviceAddressCommands.h"
#include "settings/DisplayPageCommands.h"
#include "settings/DisplayPositionCommands.h"
#include "settings/StartupPageCommands.h"

#include <QTest>

// The command lines that the small setting dialogs compose, byte for byte. Values out of range
// (only a damaged document holds them) go as the nearest one.
class SettingCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void composedLine_data() {
        QTest::addColumn<QByteArray>("composed");
        QTest::addColumn<QByteArray>("line");
        const auto row = [](const char* line, const QByteArray& composed,
                            const char* name = nullptr) {
            QTest::newRow(name ? name : line) << composed << QByteArray(line) + "\r\n";
        };

        row("P02BAS", displayPageLine(3, 64));
        row("P01TAS", displayPageLine(0, 65), "page above AUTO");
        row("SUS02BAS", startupPageLine(3, 64));
        row("CWL0", whiteLevelLine(0));
        row("CEL3", edgeLevelLine(3));
        row("CTDPO01B15", displayPositionLine(1, 15));
        row("SA32", deviceAddressLine(32));
        // Counts as Broadcast, as it does for the RS-485 prefix.
        row("SA32", deviceAddressLine(-1), "address below 0");
    }
    void composedLine() {
        QFETCH(QByteArray, composed);
        QFETCH(QByteArray, line);
        QCOMPARE(composed, line);
    }
};

QTEST_APPLESS_MAIN(SettingCommandsTest)
#include "tst_settingcommands.moc"
