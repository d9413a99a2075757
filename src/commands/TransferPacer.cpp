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

void TransferPlan::append(int count, int interval, const std::function<bool(int)>& action) {
    for (int i = 0; i < count; ++i)
        steps.append({interval, [action, i] { return action(i); }});
}

TransferPacer::TransferPacer(CommandContext& context, const QString& timerName, QObject* parent)
    : QObject(parent), context_(context), timer_(this) {
    timer_.setObjectName(timerName);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TransferPacer::tick);
}

TransferPacer::~TransferPacer() {
    if (isRunning())
        release();
}

bool TransferPacer::start(TransferPlan plan) {
    CommandSender& sender = context_.sender;
    // Checked here rather than left to the sender, so the refusal shows once and not per line.
    if (!sender.isLinkReady()) {
        context_.boxes.showError(QStringLiteral("Socket が接続されていません"));
        return false;
    }
    if (sender.isRunGoing() || plan.steps.isEmpty())
        return false;
    // A failure reported before the run belongs to an earlier line; it must not stop this run
    // at its first tick without a word.
    clearFailure(sender);
    plan_ = std::move(plan);
    if (plan_.percentageBase <= 0)
        plan_.percentageBase = stepCount();
    step_ = 0;
    sender.setRunGoing(true);
    timer_.start(plan_.steps.first().interval);
    return true;
}

int TransferPacer::percentage() const {
    return plan_.percentageBase > 0 ? step_ * 100 / plan_.percentageBase : 0;
}

void TransferPacer::tick() {
    if (ticking_ || !isRunning())
        return;
    const QScopedValueRollback ticking(ticking_, true);
    if (context_.sender.exchange().exchangeFailed != 0) {
        end(Ending::Failed);
        return;
    }
    const PlanStep& current = plan_.steps[step_];
    if (current.action && !current.action()) {
        end(Ending::Refused);
        return;
    }
    ++step_;
    // A new pace starts with this tick: the next period is counted from now.
    if (step_ < stepCount() && plan_.steps[step_].interval != current.interval)
        timer_.setInterval(plan_.steps[step_].interval);
    emit stepped(step_, stepCount());
    if (step_ >= stepCount())
        end(Ending::Completed);
}

void TransferPacer::end(Ending ending) {
    release();
    emit ended(ending);
}

void TransferPacer::release() {
    timer_.stop();
    clearFailure(context_.sender);
    context_.sender.setRunGoing(false);
}
