#include "protocol/CommandSender.h"

#include "core/AppState.h"
#include "protocol/FieldEncoding.h"
#include "protocol/LinkChannels.h"

namespace {

std::size_t slot(ReplyLink link) {
    return link == ReplyLink::Serial ? 0 : 1;
}

// What a reply says about the line it answers.
ExchangeOutcome outcomeOf(const InterpretedReply& reply) {
    if (reply.line.isEmpty())
        return ExchangeOutcome::OtherReply; // too long to be a reply
    switch (replyCode(reply.parsed.kind).replyClass) {
    case ReplyClass::Accepted:
        return ExchangeOutcome::Accepted;
    case ReplyClass::Data:
        // A malformed answer stores nothing and so answers nothing.
        return std::holds_alternative<std::monostate>(reply.parsed.record)
                   ? ExchangeOutcome::OtherReply
                   : ExchangeOutcome::Data;
    case ReplyClass::DeviceRefusal:
        return ExchangeOutcome::DeviceRefusal;
    case ReplyClass::OtherReply:
        break;
    }
    return ExchangeOutcome::OtherReply;
}

QByteArray shownLine(const QByteArray& line) {
    return line.endsWith("\r\n") ? line.chopped(2) : line;
}

} // namespace

CommandSender::CommandSender(AppState& state, SettingsDocument& document, MessageBoxes& boxes,
                             SerialChannel& serial, TcpChannel& tcp, QObject* parent)
    : QObject(parent), state_(state), replies_(state, document), serial_(serial), tcp_(tcp),
      boxes_(state, *this, boxes) {
    serialReplyTimer_.setTimerType(Qt::PreciseTimer);
    serialReplyTimer_.setInterval(serialReplyTickInterval);
    connect(&serialReplyTimer_, &QTimer::timeout, this, &CommandSender::checkReplyTimeout);
    serialReplyTimer_.start();

    tcpReplyTimer_.setSingleShot(true);
    tcpReplyTimer_.setTimerType(Qt::PreciseTimer);
    connect(&tcpReplyTimer_, &QTimer::timeout, this, &CommandSender::checkTcpDeadline);

    interpretTimer_.setSingleShot(true);
    interpretTimer_.setInterval(0);
    connect(&interpretTimer_, &QTimer::timeout, this, &CommandSender::interpretReceivedLines);
    connect(&serial_, &LineChannel::lineReceived, this, [this] { lineArrived(ReplyLink::Serial); });
    connect(&tcp_, &LineChannel::lineReceived, this, [this] { lineArrived(ReplyLink::Tcp); });
    // After the link's own handler has returned: the boxes that follow run the event loop.
    connect(
        &serial_, &LineChannel::lost, this,
        [this](const QString& detail) {
            endWaiting(ReplyLink::Serial, ExchangeOutcome::Disconnected, detail);
        },
        Qt::QueuedConnection);
    connect(
        &tcp_, &LineChannel::lost, this,
        [this](const QString& detail) {
            endWaiting(ReplyLink::Tcp, ExchangeOutcome::Disconnected, detail);
        },
        Qt::QueuedConnection);
}

void CommandSender::resetExchange() {
    exchange_.glyphReadPending = 0;
    serial_.discardPartialLine();
    tcp_.discardPartialLine();
}

bool CommandSender::isLinkReady() const {
    return state_.link.interfaceKind == InterfaceKind::Serial || tcp_.tcpConnected();
}

quint64 CommandSender::send(const QByteArray& line) {
    Exchange exchange;
    exchange.id = ++lastId_;
    exchange.line = line;
    exchange.link = state_.link.isTcp() ? ReplyLink::Tcp : ReplyLink::Serial;
    exchange.expected = expectedReply(line);
    exchange.sentAt = QDateTime::currentDateTime();
    emit exchangeStarted(exchange);
    if (exchange.link == ReplyLink::Tcp)
        sendTcpCommand(exchange);
    else
        sendSerialCommand(exchange);
    return exchange.id;
}

void CommandSender::sendSerialCommand(Exchange exchange) {
    QByteArray framed;
    bool broadcast = false;
    if (state_.link.isRs485()) {
        if (state_.link.slaveAddress >= 0 &&
            state_.link.slaveAddress < LinkConfiguration::broadcastAddress) {
            char address[2];
            twoDigits(state_.link.slaveAddress, address);
            framed.append(address, 2);
        } else {
            framed.append("FF");
            broadcast = true; // no device answers a broadcast
        }
    }
    framed.append(exchange.line);
    // Bytes that came before this line and never ended are not the start of its answer.
    serial_.discardPartialLine();
    serial_.write(framed);
    if (broadcast)
        finish(exchange, ExchangeOutcome::NoReplyExpected);
    else
        waiting_[slot(ReplyLink::Serial)].push_back({exchange, 0, {}});
}

void CommandSender::sendTcpCommand(Exchange exchange) {
    if (!tcp_.tcpConnected()) {
        finish(exchange, ExchangeOutcome::NotConnected);
        return;
    }
    // Whatever was left of an earlier reply does not belong to the reply of this line.
    tcp_.discardPartialLine();
    if (!tcp_.sendToTarget(exchange.line)) {
        finish(exchange, ExchangeOutcome::SendFailed,
               QStringLiteral("接続先が「%1」を受け取りませんでした。")
                   .arg(QString::fromLatin1(shownLine(exchange.line))));
        return;
    }
    waiting_[slot(ReplyLink::Tcp)].push_back(
        {exchange, 0, QDeadlineTimer(tcpReplyTimeout_, Qt::PreciseTimer)});
    armTcpDeadline();
}

void CommandSender::finish(Exchange exchange, ExchangeOutcome outcome, const QString& detail) {
    exchange.outcome = outcome;
    exchange.detail = detail;
    exchange.endedAt = QDateTime::currentDateTime();
    emit exchangeFinished(exchange);
}

void CommandSender::checkReplyTimeout() {
    auto& waiting = waiting_[slot(ReplyLink::Serial)];
    if (waiting.empty())
        return;
    const bool expired = waiting.front().ticks >= serialReplyTicks;
    for (Waiting& line : waiting)
        ++line.ticks;
    if (expired)
        endWaiting(ReplyLink::Serial, ExchangeOutcome::NoAnswer, {});
}

void CommandSender::armTcpDeadline() {
    const auto& waiting = waiting_[slot(ReplyLink::Tcp)];
    if (waiting.empty())
        tcpReplyTimer_.stop();
    else
        tcpReplyTimer_.start(int(waiting.front().deadline.remainingTime()));
}

void CommandSender::checkTcpDeadline() {
    const auto& waiting = waiting_[slot(ReplyLink::Tcp)];
    if (!waiting.empty() && waiting.front().deadline.hasExpired()) {
        endWaiting(ReplyLink::Tcp, ExchangeOutcome::NoAnswer,
                   QStringLiteral("「%1」に %2 秒以内の応答がありませんでした。")
                       .arg(QString::fromLatin1(shownLine(waiting.front().exchange.line)))
                       .arg(double(tcpReplyTimeout_) / 1000));
        return;
    }
    armTcpDeadline();
}

void CommandSender::endWaiting(ReplyLink link, ExchangeOutcome outcome, const QString& detail) {
    std::deque<Waiting> ended;
    ended.swap(waiting_[slot(link)]);
    if (link == ReplyLink::Tcp)
        tcpReplyTimer_.stop();
    if (ended.empty())
        return;
    exchange_.glyphReadPending = 0; // no answer is coming that would end the glyph read
    for (Waiting& line : ended) {
        line.exchange.endedWithEarlier = &line != &ended.front();
        finish(line.exchange, outcome, detail);
    }
}

// A line has arrived: the wait of the oldest line ends now, whatever its interpretation shows
// and however long. A device that stops in the middle of a line has not answered; a line too
// long to be a reply still ends the wait.
void CommandSender::lineArrived(ReplyLink link) {
    auto& waiting = waiting_[slot(link)];
    if (waiting.empty()) {
        answered_[slot(link)].push_back(std::nullopt);
    } else {
        answered_[slot(link)].push_back(waiting.front().exchange);
        waiting.pop_front();
        if (link == ReplyLink::Tcp)
            armTcpDeadline();
    }
    interpretTimer_.start();
}

bool CommandSender::isAwaiting() const {
    return isWaitingForAnswer() || !answered_[0].empty() || !answered_[1].empty() || interpreting_;
}

void CommandSender::interpretReceivedLines() {
    if (interpreting_)
        return; // a box of an earlier line is open; the loop below goes on when it closes
    interpreting_ = true;
    for (;;) {
        if (auto line = serial_.takeLine())
            interpretLine(*line, ReplyLink::Serial);
        else if (auto tcpLine = tcp_.takeLine())
            interpretLine(*tcpLine, ReplyLink::Tcp);
        else
            break;
    }
    interpreting_ = false;
}

void CommandSender::interpretLine(const QByteArray& line, ReplyLink link) {
    auto& answered = answered_[slot(link)];
    std::optional<Exchange> exchange;
    if (!answered.empty()) {
        exchange = answered.front();
        answered.pop_front();
    }
    const InterpretedReply reply =
        replies_.handleReply(line, link, exchange_.glyphReadPending != 0);
    if (exchange) {
        exchange->reply = reply.line;
        exchange->replyKind = reply.parsed.kind;
        finish(*exchange, outcomeOf(reply));
    }
    emit replyInterpreted(reply);
    exchange_.glyphReadPending = 0;
}
