#include "protocol/CommandSender.h"

#include "core/AppState.h"
#include "protocol/FieldEncoding.h"
#include "protocol/LinkChannels.h"
#include "protocol/MessageBoxes.h"

CommandSender::CommandSender(AppState& state, SettingsDocument& document, MessageBoxes& boxes,
                             SerialChannel& serial, TcpChannel& tcp, QObject* parent)
    : QObject(parent), state_(state), boxes_(boxes), replies_(state, exchange_, document, boxes),
      serial_(serial), tcp_(tcp) {
    serialReplyTimer_.setTimerType(Qt::PreciseTimer);
    serialReplyTimer_.setInterval(serialReplyTickInterval);
    connect(&serialReplyTimer_, &QTimer::timeout, this, &CommandSender::checkReplyTimeout);
    serialReplyTimer_.start();

    tcpReplyTimer_.setSingleShot(true);
    tcpReplyTimer_.setInterval(defaultTcpReplyTimeoutMs);
    connect(&tcpReplyTimer_, &QTimer::timeout, this, &CommandSender::expireTcpReplyWait);

    interpretTimer_.setSingleShot(true);
    interpretTimer_.setInterval(0);
    connect(&interpretTimer_, &QTimer::timeout, this, &CommandSender::interpretReceivedLines);
    connect(&serial_, &LineChannel::lineReceived, this, &CommandSender::onSerialLine);
    connect(&tcp_, &LineChannel::lineReceived, this, &CommandSender::onTcpLine);
}

void CommandSender::resetExchange() {
    exchange_ = ExchangeState{};
    tcp_.discardPartialLine();
}

bool CommandSender::isLinkReady() const {
    return state_.link.interfaceKind == InterfaceKind::Serial || tcp_.tcpConnected();
}

void CommandSender::send(const QByteArray& line) {
    if (state_.link.interfaceKind == InterfaceKind::Tcp)
        sendTcpCommand(line);
    else
        sendSerialCommand(line);
}

void CommandSender::sendSerialCommand(const QByteArray& line) {
    exchange_.replyPending = 1;
    QByteArray framed;
    if (state_.link.rs485Mode == Rs485Mode::Rs485) {
        if (state_.link.slaveAddress >= 0 &&
            state_.link.slaveAddress < LinkConfiguration::broadcastAddress) {
            char address[2];
            twoDigits(state_.link.slaveAddress, address);
            framed.append(address, 2);
        } else {
            framed.append("FF");
            exchange_.replyPending = 0; // no device answers a broadcast
        }
    }
    framed.append(line);
    serial_.write(framed);
}

void CommandSender::sendTcpCommand(const QByteArray& line) {
    if (!isLinkReady()) {
        // The device may have left in the middle of a run: the run stops at its next tick
        // instead of reporting every line.
        exchange_.exchangeFailed = 1;
        boxes_.showError(QStringLiteral("Socket が接続されていません"));
        return;
    }
    // Whatever was left of an earlier reply does not belong to the reply of this line.
    tcp_.discardPartialLine();
    if (!tcp_.sendToTarget(line)) {
        exchange_.exchangeFailed = 1;
        boxes_.showError(QStringLiteral("Socket 送信"));
        return;
    }
    tcpReplyTimer_.start();
}

void CommandSender::checkReplyTimeout() {
    if (exchange_.replyPending != 1)
        return;
    const int ticks = exchange_.replyWaitTicks++;
    if (ticks > 5) {
        exchange_.replyPending = 0;
        exchange_.replyWaitTicks = 0;
        exchange_.glyphReadPending = 0; // no answer is coming that would end the glyph read
        // As over TCP: a run stops at its next tick rather than carry on to a closing dialog
        // that looks like success while nothing answered.
        exchange_.exchangeFailed = 1;
        boxes_.showStopError(QStringLiteral("No Connect"));
    }
}

void CommandSender::expireTcpReplyWait() {
    tcpReplyTimer_.stop();
    tcp_.discardPartialLine();
    exchange_.glyphReadPending = 0; // no answer is coming that would end the glyph read
    if (state_.running == 0)
        return; // the program is ending; nobody is waiting for the answer
    exchange_.exchangeFailed = 1;
    boxes_.showError(QStringLiteral("Answer が､きません"));
}

// A line has arrived: the wait ends now, whatever its interpretation shows and however long.
void CommandSender::onSerialLine() {
    exchange_.replyWaitTicks = 0;
    exchange_.replyPending = 0;
    interpretTimer_.start();
}

// The wait ends with a whole reply line, not with its first byte: a device that stops in the
// middle of a line has not answered. A line too long to be a reply still ends it.
void CommandSender::onTcpLine() {
    tcpReplyTimer_.stop();
    interpretTimer_.start();
}

void CommandSender::interpretReceivedLines() {
    if (interpreting_)
        return; // a box of an earlier line is open; the loop below goes on when it closes
    interpreting_ = true;
    for (;;) {
        if (auto line = serial_.takeLine())
            replies_.handleReply(*line, ReplyLink::Serial);
        else if (auto tcpLine = tcp_.takeLine())
            replies_.handleReply(*tcpLine, ReplyLink::Tcp);
        else
            break;
    }
    interpreting_ = false;
}
