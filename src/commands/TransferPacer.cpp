#include "commands/TransferPacer.h"

#include "commands/CommandContext.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"

#include <QScopedValueRollback>
#include <utility>

namespace {

// The sender clears a failure only with the rest of the exchange; once a failure has been
// reported the line it belongs to is no longer awaited, so nothing is lost.
void clearFailure(CommandSender& sender) {
    if (sender.exchange().exchangeFailed != 0)
        sender.resetExchange();
}

} // namespace

TransferPacer::TransferPacer(CommandContext& context, const QString& timerName,
                             std::function<void(int)> step, QObject* parent)
    : QObject(parent), context_(context), step_(std::move(step)), timer_(this) {
    timer_.setObjectName(timerName);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TransferPacer::tick);
}

TransferPacer::~TransferPacer() {
    if (isRunning())
        end();
}

bool TransferPacer::begin(int milliseconds) {
    CommandSender& sender = context_.sender;
    // Checked here rather than left to the sender, so the refusal shows once and not per line.
    if (!sender.isLinkReady()) {
        context_.boxes.showError(QStringLiteral("Socket が接続されていません"));
        return false;
    }
    if (sender.exchange().sequenceStep != 0)
        return false;
    // A failure reported before the run belongs to an earlier line; it must not stop this run
    // at its first tick without a word.
    clearFailure(sender);
    sender.setSequenceStep(1);
    timer_.start(milliseconds);
    return true;
}

void TransferPacer::end() {
    timer_.stop();
    clearFailure(context_.sender);
    context_.sender.setSequenceStep(0);
}

void TransferPacer::tick() {
    if (ticking_ || !isRunning())
        return;
    const QScopedValueRollback ticking(ticking_, true);
    if (context_.sender.exchange().exchangeFailed != 0) {
        end();
        emit failed();
        return;
    }
    step_(context_.sender.exchange().sequenceStep);
}
