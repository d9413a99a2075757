#include "commands/TransferPacer.h"

#include "commands/CommandContext.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"

#include <QScopedValueRollback>
#include <utility>

void TransferPlan::append(int count, int interval, const std::function<bool(int)>& action) {
    for (int i = 0; i < count; ++i)
        steps.append({interval, [action, i] { return action(i); }});
}

TransferPacer::TransferPacer(CommandContext& context, const QString& timerName, QObject* parent)
    : QObject(parent), context_(context), timer_(this) {
    timer_.setObjectName(timerName);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TransferPacer::tick);
    // The lines of the run are those its steps send; only what becomes of them stops it.
    connect(&context.sender, &CommandSender::exchangeStarted, this, [this](const Exchange& line) {
        if (ticking_)
            linesOfTheRun_.insert(line.id);
    });
    connect(&context.sender, &CommandSender::exchangeFinished, this, [this](const Exchange& line) {
        if (linesOfTheRun_.remove(line.id) && isRunning() && line.isFailure())
            failed_ = true;
    });
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
    plan_ = std::move(plan);
    failed_ = false;
    linesOfTheRun_.clear();
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
    if (failed_) {
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
    context_.sender.setRunGoing(false);
}
