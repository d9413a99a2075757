#include "sim/Device.h"
#include "sim/monitor/AreaPicture.h"
#include "sim/monitor/AutoSwitching.h"
#include "sim/monitor/DeviceActivity.h"

#include <QTest>

using sim::AreaPicture;
using sim::AutoSwitching;
using sim::DeviceActivity;
using sim::DeviceModel;

// What the monitor shows, taken from the device's settings: the title cells, the lines shown
// and hidden, the automatic switching round, and the last commands and lines.
class SimOnAirTest : public QObject {
    Q_OBJECT
private slots:
    void titleCells_data();
    void titleCells();
    void picturesFollowTheCommands();
    void autoSwitchingRound();
    void autoSwitchingFollowsChanges();
    void lastCommandsAndLines();
};

namespace {

const QByteArray blanks(int count) {
    return QByteArray("2121").repeated(count);
}
const QString fullWidthBlanks(int count) {
    return QStringLiteral("　").repeated(count);
}

void carryOut(DeviceModel& device, const QByteArray& line) {
    QCOMPARE(device.respond(line + "\r\n"), QByteArray("GO\r\n"));
}

} // namespace

void SimOnAirTest::titleCells_data() {
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QString>("shown");
    const auto row = [](const char* code, const QString& shown) {
        QTest::newRow(code) << QByteArray(code) << shown;
    };
    row("2422", QStringLiteral("あ"));
    row("3021", QStringLiteral("亜"));
    row("2D21", QStringLiteral("①"));    // NEC special characters
    row("7C71", QStringLiteral("ⅰ"));    // NEC-selected IBM extensions
    row("2F21", QStringLiteral("〓"));   // a row without characters
    row("FFFF", QStringLiteral("〓"));   // outside JIS X 0208
    row("BA65", QStringLiteral("[01]")); // glyph codes
    row("BA7E", QStringLiteral("[26]"));
    row("BB21", QStringLiteral("[27]"));
}

void SimOnAirTest::titleCells() {
    QFETCH(QByteArray, code);
    QFETCH(QString, shown);
    DeviceModel device;
    AutoSwitching switching(device);
    carryOut(device, "CT01T01" + code + blanks(13));
    QCOMPARE(sim::pictureOf(device, switching, 0).text(), shown + fullWidthBlanks(13));
}

// One area after another command, the others untouched.
void SimOnAirTest::picturesFollowTheCommands() {
    DeviceModel device;
    AutoSwitching switching(device);
    const auto picture = [&](int area) { return sim::pictureOf(device, switching, area); };
    QCOMPARE(picture(0).text(), fullWidthBlanks(14));
    QCOMPARE(picture(0).status(), QStringLiteral("page 1 · ON · position 7"));

    carryOut(device, "CT01T05" + QByteArray("3A23467C") + blanks(12)); // 今日
    QCOMPARE(picture(0).text(), fullWidthBlanks(14));                  // page 1 is still up
    carryOut(device, "P01T05");
    QCOMPARE(picture(0).text(), QStringLiteral("今日") + fullWidthBlanks(12));
    QVERIFY(picture(0).shown);

    carryOut(device, "CTD01T05OF");
    QVERIFY(!picture(0).shown);
    QCOMPARE(picture(0).text(), fullWidthBlanks(14));
    QCOMPARE(picture(0).status(), QStringLiteral("page 5 · OFF · position 7"));
    carryOut(device, "CTD01T05ON");

    const QByteArray dots = QByteArray("F0").repeated(288);
    carryOut(device, "GR05" + dots);
    carryOut(device, "G05C01T05I02");
    const AreaPicture withGlyph = picture(0);
    QCOMPARE(withGlyph.text(), QStringLiteral("今[05]") + fullWidthBlanks(12));
    QCOMPARE(withGlyph.cells[1].glyphDots, dots);
    carryOut(device, "GR05" + QByteArray(576, '0')); // registered again: the title shows the new
    QCOMPARE(picture(0).cells[1].glyphDots, QByteArray(576, '0'));

    carryOut(device, "CTDPO01T15");
    carryOut(device, "CWL3");
    carryOut(device, "CEL0");
    QCOMPARE(picture(0).position, 15);
    QVERIFY(picture(3).whiteLevel == 3 && picture(3).edgeLevel == 0);
    QCOMPARE(picture(3).status(), QStringLiteral("page 1 · ON · position 7"));
}

// Pages 1 to 3 on, page 2 at 0 seconds: pages 1 and 3 take turns, 2 s and 1 s each.
void SimOnAirTest::autoSwitchingRound() {
    DeviceModel device;
    AutoSwitching switching(device);
    carryOut(device, "CTD01TNNN" + QByteArray(61, 'F'));
    carryOut(device, "AST01T020001" + QByteArray("05").repeated(61));
    carryOut(device, "CT01T03" + QByteArray("2422") + blanks(13)); // あ
    carryOut(device, "P01TAS");
    QList<int> changes; // tick number * 100 + page
    int ticks = 0;
    connect(&switching, &AutoSwitching::pageChanged, this, [&](int area) {
        QCOMPARE(area, 0);
        changes.append(ticks * 100 + switching.currentPage(0));
    });
    switching.settle();
    for (ticks = 1; ticks <= 80; ++ticks)
        switching.tick();
    QCOMPARE(changes, (QList<int>{0, 2002, 3000, 5002, 6000, 8002}));
    QCOMPARE(sim::pictureOf(device, switching, 0).text(),
             QStringLiteral("あ") + fullWidthBlanks(13));
    QCOMPARE(sim::pictureOf(device, switching, 0).status(),
             QStringLiteral("AUTO page 3 · ON · position 7"));
    QCOMPARE(switching.currentPage(1), -1);
}

// Every change applies at the next tick: the page up switched off, no page left, times of 0.
void SimOnAirTest::autoSwitchingFollowsChanges() {
    DeviceModel device;
    AutoSwitching switching(device);
    carryOut(device, "P02BAS");
    switching.settle();
    QCOMPARE(switching.currentPage(3), 0);
    for (int tick = 0; tick < 20; ++tick)
        switching.tick();
    QCOMPARE(switching.currentPage(3), 1);
    carryOut(device, "CTD02B02OF"); // the page up gives way at once
    switching.tick();
    QCOMPARE(switching.currentPage(3), 2);

    carryOut(device, "CTD02B" + QByteArray(64, 'F'));
    switching.tick();
    QCOMPARE(switching.currentPage(3), -1);
    const AreaPicture nothing = sim::pictureOf(device, switching, 3);
    QVERIFY(nothing.automatic && !nothing.shown);
    QCOMPARE(nothing.status(), QStringLiteral("AUTO, no page · OFF · position 7"));

    carryOut(device, "AST02B4000");
    carryOut(device, "CTD02B40ON"); // on, but at 0 seconds
    switching.tick();
    QCOMPARE(switching.currentPage(3), -1);
    carryOut(device, "AST02B4003");
    switching.tick();
    QCOMPARE(switching.currentPage(3), 39);

    carryOut(device, "P02B07"); // leaving AUTO ends the round, coming back starts at page 1
    switching.settle();
    QCOMPARE(switching.currentPage(3), -1);
    QCOMPARE(sim::pictureOf(device, switching, 3).page, 6);
    carryOut(device, "CTD02B01ON");
    carryOut(device, "P02BAS");
    switching.settle();
    QCOMPARE(switching.currentPage(3), 0);
}

// An RS-485 device at address 05, its lines as the serial bus hands them over.
void SimOnAirTest::lastCommandsAndLines() {
    sim::Device device(5);
    DeviceActivity activity(&device, true);
    const auto exchange = [&](int area) { return activity.lastExchange(area).text(); };
    QCOMPARE(exchange(0), QStringLiteral("—"));

    device.receive("P01T05\r\n");
    QCOMPARE(exchange(0), QStringLiteral("P01T05 → …"));
    device.recordReplySent("05GO\r\n");
    QCOMPARE(exchange(0), QStringLiteral("P01T05 → GO"));
    device.receive("CTD02B01OF\r\n", true);
    QCOMPARE(exchange(3), QStringLiteral("CTD02B01OF (FF, no reply)"));
    device.receive("SA07\r\n"); // the whole device: no area's last command
    device.recordReplySent("05GO\r\n");
    QCOMPARE(exchange(0), QStringLiteral("P01T05 → GO"));
    device.receive("RCTDPO02B\r\n");
    device.recordReplySent("07CTDPO02B07\r\n");
    QCOMPARE(exchange(3), QStringLiteral("RCTDPO02B → CTDPO02B07"));

    QCOMPARE(activity.recentLines(),
             (QStringList{"05 <- P01T05", "05 -> GO", "FF <- CTD02B01OF", "05 <- SA07", "05 -> GO",
                          "07 <- RCTDPO02B", "07 -> CTDPO02B07"}));
    device.receive("GR01" + QByteArray(576, '0') + "\r\n"); // cut short
    QCOMPARE(activity.recentLines().last(), "07 <- GR01" + QString(67, '0') + "…");

    const QList<std::pair<QByteArray, int>> areas{
        {"G05C02T01I01", 2}, {"RCT01B64", 1}, {"RFBMBA65", -1},  {"GR01", -1},
        {"CWL2", -1},        {"SUS02BAS", 3}, {"AST01T0101", 0}, {"P03T01", -1}};
    for (const auto& [line, area] : areas)
        QVERIFY2(DeviceActivity::commandArea(line) == area, line.constData());
}

QTEST_GUILESS_MAIN(SimOnAirTest)
#include "tst_simonair.moc"
