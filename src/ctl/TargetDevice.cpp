#include "ctl/TargetDevice.h"

#include "commands/TransferPlans.h"
#include "link/ConnectionChannel.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"

namespace {

constexpr int drainCheckMs = 10; // how often the wait looks whether the line has sent it all

QByteArray withoutLineEnd(QByteArray line) {
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

ExchangeResult resultOf(const Exchange& exchange) {
    ExchangeResult result;
    result.reply = withoutLineEnd(exchange.reply);
    switch (exchange.outcome) {
    case ExchangeOutcome::Accepted:
    case ExchangeOutcome::Data:
    case ExchangeOutcome::DeviceRefusal:
    case ExchangeOutcome::OtherReply:
    case ExchangeOutcome::NoReplyExpected:
        if (exchange.isExpectedAnswer()) {
            result.outcome = Outcome::Ok;
            break;
        }
        result.outcome = Outcome::DeviceError;
        if (exchange.reply.isEmpty() && exchange.outcome == ExchangeOutcome::OtherReply)
            result.meaning = QStringLiteral("a line too long to be a reply");
        else if (exchange.outcome == ExchangeOutcome::DeviceRefusal ||
                 (exchange.outcome == ExchangeOutcome::OtherReply &&
                  replyCode(exchange.replyKind).replyClass == ReplyClass::OtherReply))
            result.meaning = QString::fromUtf8(replyCode(exchange.replyKind).meaning);
        else
            result.meaning = QStringLiteral("unexpected reply");
        break;
    case ExchangeOutcome::Awaited:
    case ExchangeOutcome::NoAnswer:
        result.outcome = Outcome::NoAnswer;
        break;
    case ExchangeOutcome::NotConnected:
    case ExchangeOutcome::SendFailed:
    case ExchangeOutcome::Disconnected:
        result.outcome = Outcome::Disconnected;
        break;
    }
    return result;
}

TargetDevice::TargetDevice(const QString& deviceName, int connectionEntry,
                           const LinkConfiguration& link, SerialLink& serial, TcpLink& tcpLink,
                           std::unique_ptr<ConnectionChannel> ownChannel)
    : serial_(serial), ownChannel_(std::move(ownChannel)), name(deviceName),
      connection(connectionEntry),
      sender(state, document, boxes, serial,
             ownChannel_ ? static_cast<TcpChannel&>(*ownChannel_) : tcpLink) {
    state.running = 1;
    state.link = link;
    connect(&sender, &CommandSender::exchangeFinished, this, &TargetDevice::lineEnded);
    messages.onMessage = [this] { checkSettledLater(); };
    drainTimer_.setTimerType(Qt::PreciseTimer);
    drainTimer_.setInterval(drainCheckMs);
    connect(&drainTimer_, &QTimer::timeout, this, &TargetDevice::checkSettled);
}

TargetDevice::~TargetDevice() = default;

void TargetDevice::startExchange(const QByteArray& line, bool readsGlyph) {
    messages.clear();
    firstWrong_.reset();
    last_.reset();
    exchanging_ = true;
    if (!state.link.isTcp())
        drainTimer_.start();
    if (readsGlyph)
        sender.setGlyphReadPending(true);
    sender.send(line);
    checkSettled();
}

bool TargetDevice::startRun(TransferKind kind) {
    messages.clear();
    firstWrong_.reset();
    last_.reset();
    run_ = std::make_unique<TransferPacer>(context, QStringLiteral("runTimer"));
    connect(run_.get(), &TransferPacer::stepped, this, &TargetDevice::stepped);
    connect(run_.get(), &TransferPacer::ended, this, [this] {
        if (!state.link.isTcp())
            drainTimer_.start();
        checkSettledLater();
    });
    running_ = run_->start(planOf(kind, context));
    runStarted_ = running_;
    return running_;
}

TransferPlan TargetDevice::planOf(TransferKind kind, CommandContext& context) {
    return kind == TransferKind::SendAll ? sendAllPlan(context) : readBackPlan(context);
}

bool TargetDevice::isWaiting() const {
    // A broadcast gets no reply, but the port must not close before the line has left: the
    // serial link's own write time-out bounds this wait.
    return sender.isAwaiting() || (!state.link.isTcp() && serial_.pendingOutput() > 0);
}

ExchangeResult TargetDevice::result() const {
    ExchangeResult result;
    if (firstWrong_)
        result = resultOf(*firstWrong_);
    else if (run_)
        result.outcome = runStarted_ ? Outcome::Ok : Outcome::Disconnected;
    else if (last_)
        result = resultOf(*last_);
    for (const QString& text : messages.texts()) {
        if (!result.messages.contains(text))
            result.messages.append(text);
    }
    return result;
}

void TargetDevice::lineEnded(const Exchange& exchange) {
    if (!exchanging_ && !running_)
        return;
    last_ = exchange;
    // The first line that did not end as asked says what went wrong; the lines ended with it
    // say nothing more.
    if (!firstWrong_ && resultOf(exchange).outcome != Outcome::Ok)
        firstWrong_ = exchange;
    checkSettledLater();
}

// The handler is still on the stack when a line ends or a message comes: the wait is looked at
// once it has returned.
void TargetDevice::checkSettledLater() {
    QMetaObject::invokeMethod(this, &TargetDevice::checkSettled, Qt::QueuedConnection);
}

void TargetDevice::checkSettled() {
    if (isSettled())
        return;
    if (exchanging_ && !isWaiting())
        exchanging_ = false;
    if (running_ && !run_->isRunning() && !isWaiting())
        running_ = false;
    if (!isSettled())
        return;
    drainTimer_.stop();
    emit settled();
}
