#include "settings/AreaTransfer.h"

#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "settings/DialogContext.h"

#include <QProgressBar>
#include <QScopedValueRollback>
#include <QWidget>

AreaTransfer::AreaTransfer(DialogContext& context, SendArea send, int intervalMs,
                           QProgressBar& progress, QWidget& closeButton, QObject* parent)
    : QObject(parent), context_(context), send_(send), progress_(progress),
      closeButton_(closeButton), timer_(this) {
    timer_.setObjectName(QStringLiteral("transferTimer"));
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(intervalMs);
    connect(&timer_, &QTimer::timeout, this, &AreaTransfer::tick);
    progress_.setRange(0, areaSteps - 1);
    progress_.setValue(0);
}

AreaTransfer::~AreaTransfer() {
    if (isRunning())
        context_.sender.setSequenceStep(0);
}

void AreaTransfer::start() {
    // Checked here rather than left to the sender, so the refusal shows once and not per area.
    if (!context_.sender.isLinkReady()) {
        context_.boxes.showError(QStringLiteral("Socket が接続されていません"));
        return;
    }
    if (context_.sender.exchange().sequenceStep != 0)
        return;
    closeButton_.setEnabled(false);
    context_.sender.setSequenceStep(1);
    timer_.start();
}

void AreaTransfer::tick() {
    if (!isRunning() || ticking_)
        return;
    const QScopedValueRollback<bool> ticking(ticking_, true);
    if (context_.sender.exchange().exchangeFailed != 0) {
        // The sender has no call that clears the failure alone; resetting the whole exchange
        // also forgets a reply still awaited, which a stopped transfer can afford. The progress
        // bar stays where it was: it shows how far the transfer came.
        context_.sender.resetExchange();
        finish();
        return;
    }
    const int step = context_.sender.exchange().sequenceStep;
    if (step >= 1 && step <= areaSteps)
        send_(context_, step - 1);
    progress_.setValue(progress_.value() + 1);
    context_.sender.setSequenceStep(step + 1);
    if (step + 1 > areaSteps) {
        finish();
        progress_.setValue(0);
    }
}

void AreaTransfer::finish() {
    timer_.stop();
    closeButton_.setEnabled(true);
    context_.sender.setSequenceStep(0);
}
