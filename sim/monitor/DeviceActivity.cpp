#include "sim/monitor/DeviceActivity.h"

#include "sim/CommandFields.h"
#include "sim/Device.h"
#include "sim/TrafficLog.h"

namespace sim {

namespace {

// The arrows of the simulator's log.
const QString receivedArrow = QStringLiteral("<-");
const QString sentArrow = QStringLiteral("->");
const QByteArray broadcastAddress("FF");
// Beyond these lengths the codes of a title or the dots of a glyph would fill the screen.
constexpr qsizetype exchangeCommandLength = 20;
constexpr qsizetype recentLineLength = 72;

QString shortened(const QByteArray& line, qsizetype length) {
    if (line.size() <= length)
        return printable(line);
    return printable(line.left(length - 1)) + QStringLiteral("…");
}

} // namespace

QString DeviceActivity::Exchange::text() const {
    if (command.isEmpty())
        return QStringLiteral("—");
    if (broadcast)
        return shortened(command, exchangeCommandLength) + QStringLiteral(" (FF, no reply)");
    return QStringLiteral("%1 → %2").arg(shortened(command, exchangeCommandLength),
                                         reply.isEmpty() ? QStringLiteral("…") : printable(reply));
}

DeviceActivity::DeviceActivity(Device* device, bool rs485, QObject* parent)
    : QObject(parent), device_(device), rs485_(rs485) {
    connect(device, &Device::lineReceived, this, &DeviceActivity::takeLine);
    connect(device, &Device::broadcastReceived, this, &DeviceActivity::takeBroadcast);
    connect(device, &Device::replySent, this, &DeviceActivity::takeReply);
}

int DeviceActivity::commandArea(const QByteArray& line) {
    // Where each command writes its area, longer mnemonics before their beginnings as the
    // device reads them.
    struct Mnemonic {
        const char* text;
        qsizetype areaAt; // -1: the command is about the whole device
    };
    static const Mnemonic mnemonics[] = {
        {"RCTDPO", 6}, {"RCTD", 4}, {"RCT", 3}, {"RAST", 4}, {"RSUS", 4}, {"RP", 2},   {"R", -1},
        {"CTDPO", 5},  {"CTD", 3},  {"CT", 2},  {"CN", 2},   {"CWL", -1}, {"CEL", -1}, {"AST", 3},
        {"SUS", 3},    {"SA", -1},  {"P", 1},   {"GR", -1},  {"G", 4}};
    for (const Mnemonic& mnemonic : mnemonics) {
        if (line.startsWith(mnemonic.text))
            return mnemonic.areaAt < 0 ? -1 : fields::area(line, mnemonic.areaAt);
    }
    return -1;
}

void DeviceActivity::takeLine(const QByteArray& line) {
    lastArea_ = commandArea(line);
    awaitingReply_ = true;
    if (lastArea_ >= 0)
        exchanges_[lastArea_] = Exchange{line, {}, false};
    // The address the line was sent to: the device's own, before the line may change it.
    addRecentLine(receivedArrow, rs485_ ? fields::twoDigits(device_->slaveAddress()) : QByteArray(),
                  line);
    emit changed();
}

// Comes straight after takeLine() of the same line.
void DeviceActivity::takeBroadcast() {
    awaitingReply_ = false;
    if (lastArea_ >= 0)
        exchanges_[lastArea_].broadcast = true;
    if (rs485_)
        recentLines_.last().replace(0, broadcastAddress.size(),
                                    QString::fromLatin1(broadcastAddress));
    emit changed();
}

// A reply belongs to the last line received: the device answers each line before it reads
// the next, and a line it does not answer (ignored, broadcast) gets none.
void DeviceActivity::takeReply(const QByteArray& bytes) {
    QByteArrayList replies;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QByteArray address = rs485_ ? line.left(2) : QByteArray();
        const QByteArray reply = line.mid(address.size());
        addRecentLine(sentArrow, address, reply);
        replies.append(reply);
    }
    if (awaitingReply_ && lastArea_ >= 0)
        exchanges_[lastArea_].reply = replies.join(' ');
    awaitingReply_ = false;
    emit changed();
}

void DeviceActivity::addRecentLine(const QString& arrow, const QByteArray& address,
                                   const QByteArray& line) {
    const QString prefix = address.isEmpty() ? QString() : QString::fromLatin1(address + ' ');
    recentLines_.append(prefix + arrow + QLatin1Char(' ') + shortened(line, recentLineLength));
    if (recentLines_.size() > recentLineLimit)
        recentLines_.removeFirst();
    ++lineCount_;
}

} // namespace sim
