#include "ctl/TargetDevice.h"

#include "commands/ReadBackCommands.h"
#include "commands/TransferPlans.h"
#include "link/ConnectionChannel.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "protocol/ReplyParsing.h"

#include <variant>

namespace {

constexpr int drainCheckMs = 10; // how often the wait looks whether the line has sent it all

struct ReplyCode {
    const char* code;
    const char* meaning;
};

// The refusals and errors a device answers with, and what they mean to the operator.
constexpr ReplyCode refusals[] = {
    {"GN", "refused: mode difference or automatic switching"},
    {"MENU", "refused: the device shows its menu"},
    {"E0", "framing error"},
    {"E1", "parity error"},
    {"E2", "overrun error"},
    {"E3", "command error"},
};

// What the command sender shows when a line got no answer, and when it could not be sent to a
// connection that has gone.
const QString noAnswerTexts[] = {QStringLiteral("Answer が､きません"),
                                 QStringLiteral("No Connect")};
const QString notSentText = QStringLiteral("Socket 送信");

// The settings a whole read-back brings: one for each step that asks for something.
int readBackRequestCount() {
    int count = 0;
    for (int step = 1; step <= readBackStepCount; ++step)
        count += readBackRequest(step).isEmpty() ? 0 : 1;
    return count;
}

} // namespace

ExchangeResult classifyReply(const QByteArray& reply) {
    ExchangeResult result;
    result.reply = reply;
    result.outcome = Outcome::Ok;
    for (const auto& refusal : refusals) {
        if (reply.startsWith(refusal.code)) {
            result.outcome = Outcome::DeviceError;
            result.meaning = QString::fromLatin1(refusal.meaning);
        }
    }
    return result;
}

TargetDevice::TargetDevice(const QString& deviceName, int connectionEntry,
                           const LinkConfiguration& link, SerialLink& serial, TcpLink& tcpLink,
                           std::unique_ptr<ConnectionChannel> ownChannel)
    : tcpLink_(tcpLink), serial_(serial), ownChannel_(std::move(ownChannel)), name(deviceName),
      connection(connectionEntry),
      sender(state, document, boxes, serial,
             ownChannel_ ? static_cast<TcpChannel&>(*ownChannel_) : tcpLink) {
    state.running = 1;
    state.link = link;
    connect(&sender.replies(), &ReplyHandler::replyHandled, this,
            [this](const QByteArray& line) { replyHandled(line); });
    messages.onMessage = [this] { checkSettledLater(); };
    drainTimer_.setTimerType(Qt::PreciseTimer);
    drainTimer_.setInterval(drainCheckMs);
    connect(&drainTimer_, &QTimer::timeout, this, &TargetDevice::checkSettled);
    // A device that has left answers nothing more: its wait ends now, not at its time-out.
    if (ownChannel_) {
        connect(
            ownChannel_.get(), &ConnectionChannel::closed, this,
            [this] {
                if (sender.isAwaitingTcpReply())
                    sender.expireTcpReplyWait();
            },
            Qt::QueuedConnection);
    }
}

TargetDevice::~TargetDevice() = default;

void TargetDevice::startExchange(const QByteArray& line, bool readsGlyph) {
    messages.clear();
    reply_.reset();
    replyTooLong_ = false;
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
    refusal_.reset();
    settingsRead_ = 0;
    runKind_ = kind;
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
    // A line that has arrived ends the sender's wait before it is interpreted.
    if (sender.hasLinesToInterpret())
        return true;
    if (state.link.isTcp())
        return sender.isAwaitingTcpReply();
    // A broadcast gets no reply, but the port must not close before the line has left: the
    // serial link's own write time-out bounds this wait.
    return sender.exchange().replyPending != 0 || serial_.pendingOutput() > 0;
}

ExchangeResult TargetDevice::result() const {
    ExchangeResult result;
    if (replyTooLong_) {
        result.outcome = Outcome::DeviceError;
        result.meaning = QStringLiteral("a line too long to be a reply");
    } else if (reply_) {
        result = classifyReply(*reply_);
    } else if (refusal_) {
        result = *refusal_;
    } else if (run_) {
        result.outcome = runStarted_ ? Outcome::Ok : Outcome::Disconnected;
    } else if (!state.link.isTcp() && state.link.isRs485() &&
               state.link.slaveAddress >= LinkConfiguration::broadcastAddress) {
        result.outcome = Outcome::Ok; // a broadcast is never answered
    }
    for (const QString& text : messages.texts()) {
        if (!result.messages.contains(text))
            result.messages.append(text);
    }
    // A failure of the link weighs more than what the device said before it.
    if (result.messages.contains(noAnswerTexts[0]) || result.messages.contains(noAnswerTexts[1]))
        result.outcome = Outcome::NoAnswer;
    if (result.messages.contains(notSentText) ||
        (ownChannel_ && !ownChannel_->isOpen() && result.outcome != Outcome::Ok))
        result.outcome = Outcome::Disconnected;
    // The run does not wait for each answer: a setting whose answer was lost would be taken for
    // the start value, and a comparison or a file made of it would lie.
    const int expected = readBackRequestCount();
    if (result.outcome == Outcome::Ok && run_ && runKind_ == TransferKind::ReadBack &&
        settingsRead_ < expected) {
        result.outcome = Outcome::NoAnswer;
        result.meaning = QStringLiteral("%1 of %2 settings did not come back")
                             .arg(expected - settingsRead_)
                             .arg(expected);
    }
    return result;
}

void TargetDevice::replyHandled(QByteArray line) {
    if (exchanging_ && !reply_)
        replyTooLong_ = line.isEmpty();
    if (!state.link.isTcp() && state.link.isRs485())
        line = line.mid(2); // the answering device's address
    if (running_ && runKind_ == TransferKind::ReadBack) {
        const ReadBackRecord record =
            parseReply(line, state.link.isTcp() ? ReplyLink::Tcp : ReplyLink::Serial).record;
        if (!std::holds_alternative<std::monostate>(record))
            ++settingsRead_;
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (exchanging_ && !reply_)
        reply_ = line;
    if (running_ && !refusal_ && !line.isEmpty()) {
        if (ExchangeResult refused = classifyReply(line); refused.outcome != Outcome::Ok)
            refusal_ = refused;
    }
    checkSettledLater();
}

// The handler is still on the stack when a reply or a message comes: the wait is looked at
// once it has returned.
void TargetDevice::checkSettledLater() {
    QMetaObject::invokeMethod(this, &TargetDevice::checkSettled, Qt::QueuedConnection);
}

void TargetDevice::checkSettled() {
    if (isSettled())
        return;
    if (exchanging_ && (reply_ || !isWaiting()))
        exchanging_ = false;
    if (running_ && !run_->isRunning() && !isWaiting())
        running_ = false;
    if (!isSettled())
        return;
    drainTimer_.stop();
    emit settled();
}
