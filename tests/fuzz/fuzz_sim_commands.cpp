// The simulator's handling of what it receives: the line assembler cuts the bytes into lines
// and the device answers each one. For any bytes:
// - every line ends in its only LF and is no longer than the assembler's limit;
// - every answer is one line of printable characters ending in CR LF;
// - a line answered "E3" or "GN", and every read, leave the settings as they were;
// - a read's answer begins with the request without its "R";
// - any other line is answered "GO", and carrying it out once more changes nothing more;
// - every setting stays within its range.
// Comparing the whole device after every line would cost most of the time: the device's
// revision, which moves with every change of a setting, tells whether a line changed anything
// (the simulator's tests hold the revision to the settings).

#include "FuzzCheck.h"
#include "sim/CommandFields.h"
#include "sim/DeviceModel.h"
#include "sim/LineAssembler.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

using sim::DeviceModel;

// A few dozen lines reach every setting.
constexpr qsizetype linesCarriedOut = 64;

bool inRange(int value, int lowest, int highest) {
    return value >= lowest && value <= highest;
}

void checkRanges(const DeviceModel& device) {
    for (int area = 0; area < DeviceModel::areaCount; ++area) {
        fuzzRequire(inRange(device.displayPage(area), 0, DeviceModel::autoPage), "display page");
        fuzzRequire(inRange(device.startupPage(area), 0, DeviceModel::autoPage), "start-up page");
        fuzzRequire(inRange(device.displayPosition(area), 0, 15), "display position");
        for (int page = 0; page < DeviceModel::pageCount; ++page)
            fuzzRequire(inRange(device.switchTime(area, page), 0, 99), "switching time");
    }
    fuzzRequire(inRange(device.whiteLevel(), 0, 3), "white level");
    fuzzRequire(inRange(device.edgeLevel(), 0, 3), "edge level");
    fuzzRequire(inRange(device.slaveAddress(), 0, DeviceModel::broadcastAddress - 1),
                "slave address");
    // Checking the digits of all 28 would take most of the time; only registered ones can break.
    static const QByteArray unregistered = DeviceModel().glyph(1);
    for (int number = 1; number <= DeviceModel::glyphCount; ++number) {
        const QByteArray glyph = device.glyph(number);
        if (glyph == unregistered)
            continue;
        fuzzRequire(glyph.size() == DeviceModel::glyphDigits && sim::fields::isUpperHex(glyph),
                    "a glyph is 576 upper-case hexadecimal digits");
    }
}

bool isOneLine(const QByteArray& reply) {
    if (!reply.endsWith("\r\n"))
        return false;
    for (char byte : QByteArrayView(reply).chopped(2)) {
        if (byte <= ' ' || byte > '~')
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    sim::LineAssembler assembler;
    const QList<QByteArray> lines = assembler.feed(bytes);
    for (const QByteArray& line : lines) {
        fuzzRequire(line.endsWith('\n') && line.count('\n') == 1, "a line ends in its only LF");
        fuzzRequire(line.size() <= sim::LineAssembler::maxLineLength + 1, "a line is bounded");
    }
    DeviceModel device;
    for (const QByteArray& line :
         std::span(lines.constData(), std::size_t(qMin(lines.size(), linesCarriedOut)))) {
        const quint64 before = device.revision();
        const QByteArray reply = device.respond(line);
        fuzzRequire(isOneLine(reply), "an answer is one printable line ending in CR LF");
        const bool refused = reply == "E3\r\n" || reply == "GN\r\n";
        if (refused || line.startsWith('R')) {
            fuzzRequire(device.revision() == before, "a refused line or a read changes nothing");
            fuzzRequire(refused ||
                            reply.startsWith(QByteArrayView(line).sliced(1, line.size() - 3)),
                        "a read is answered with its own field");
            continue;
        }
        fuzzRequire(reply == "GO\r\n", "a command is answered GO, E3 or GN");
        const quint64 once = device.revision();
        fuzzRequire(device.respond(line) == reply && device.revision() == once,
                    "a command carried out twice has the effect of once");
    }
    checkRanges(device);
    return 0;
}
