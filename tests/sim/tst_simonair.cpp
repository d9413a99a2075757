#include "sim/Device.h"
#include "sim/monitor/AreaPicture.h"
#include "sim/monitor/AutoSwitching.h"

#include <QTest>

using sim::AutoSwitching;
using sim::DeviceModel;

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

// What the monitor shows, taken from the device's settings without pixels.
class SimOnAirTest : public QObject {
    Q_OBJECT
private slots:
    // NEC-selected IBM extensions, codes outside JIS X 0208, glyph codes.
    void titleCells() {
        DeviceModel device;
        AutoSwitching switching(device);
        const QList<std::pair<QByteArray, QString>> cells{
            {"2422", "あ"}, {"7C71", "ⅰ"}, {"FFFF", "〓"}, {"BA7E", "[26]"}};
        for (const auto& [code, shown] : cells) {
            carryOut(device, "CT01T01" + code + blanks(13));
            QCOMPARE(sim::pictureOf(device, switching, 0).text(), shown + fullWidthBlanks(13));
        }
    }

    // One area after another command, the others untouched.
    void picturesFollowTheCommands() {
        DeviceModel device;
        AutoSwitching switching(device);
        const auto picture = [&](int area) { return sim::pictureOf(device, switching, area); };
        carryOut(device, "CT01T05" + QByteArray("3A23467C") + blanks(12)); // 今日
        QCOMPARE(picture(0).text(), fullWidthBlanks(14));                  // page 1 is still up
        carryOut(device, "P01T05");
        QCOMPARE(picture(0).text(), QStringLiteral("今日") + fullWidthBlanks(12));

        carryOut(device, "CTD01T05OF");
        QCOMPARE(picture(0).status(), QStringLiteral("page 5 · OFF · position 7"));
        carryOut(device, "CTD01T05ON");

        const QByteArray dots = QByteArray("F0").repeated(288);
        carryOut(device, "GR05" + dots);
        carryOut(device, "G05C01T05I02");
        QCOMPARE(picture(0).text(), QStringLiteral("今[05]") + fullWidthBlanks(12));
        QCOMPARE(picture(0).cells[1].glyphDots, dots);
        carryOut(device, "GR05" + QByteArray(576, '0')); // registered again: the title shows it
        QCOMPARE(picture(0).cells[1].glyphDots, QByteArray(576, '0'));
    }

    // Pages 1 to 3 on, page 2 at 0 s: pages 1 and 3 take turns, 2 s and 1 s each.
    void autoSwitchingRound() {
        DeviceModel device;
        AutoSwitching switching(device);
        carryOut(device, "CTD01TNNN" + QByteArray(61, 'F'));
        carryOut(device, "AST01T020001" + QByteArray("05").repeated(61));
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
        QCOMPARE(sim::pictureOf(device, switching, 0).status(),
                 QStringLiteral("AUTO page 3 · ON · position 7"));
        // A change applies at the next tick: the page up switched off, then every page.
        carryOut(device, "CTD01T03OF");
        switching.tick();
        QCOMPARE(switching.currentPage(0), 0);
        carryOut(device, "CTD01T" + QByteArray(64, 'F'));
        switching.tick();
        QCOMPARE(sim::pictureOf(device, switching, 0).status(),
                 QStringLiteral("AUTO, no page · OFF · position 7"));
    }
};

QTEST_GUILESS_MAIN(SimOnAirTest)
#include "tst_simonair.moc"
