#include "settings/TransferDialog.h"

#include "core/AppState.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "settings/DialogContext.h"
#include "settings/DialogSetup.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

// No step runs and no failure is left over. The sender clears a failure only with the rest of
// the exchange; once a failure has been reported the line it belongs to is no longer awaited,
// so nothing is lost.
void endTransfer(CommandSender& sender) {
    if (sender.exchange().exchangeFailed != 0)
        sender.resetExchange();
    else
        sender.setSequenceStep(0);
}

} // namespace

TransferDialog::TransferDialog(DialogContext& context, const Run& run, QWidget* parent)
    : QDialog(parent), context_(context), run_(run), pacer_([this] { step(); }, this) {}

// A dialog that goes away in the middle of its run leaves no transfer marked as running.
TransferDialog::~TransferDialog() {
    if (pacer_.isRunning())
        endTransfer(context_.sender);
}

void TransferDialog::setUp(const Controls& controls, const QString& connectionCaption) {
    controls_ = controls;
    beginDialog(*this, context_.state.dialogs);
    controls_.progress->setValue(0);
    setUpSlaveAddressList(*controls_.slaveAddressList, context_.state.link);
    setConnectionCaption(*this, context_, connectionCaption);
    connect(controls_.start, &QPushButton::clicked, this, &TransferDialog::start);
}

void TransferDialog::reject() {
    if (!pacer_.isRunning())
        done(2);
}

void TransferDialog::start() {
    CommandSender& sender = context_.sender;
    if (!sender.isLinkReady()) {
        context_.boxes.showError(QStringLiteral("Socket が接続されていません"));
        return;
    }
    if (sender.exchange().sequenceStep != 0)
        return;
    // A failure reported before the run belongs to an earlier line; it must not stop this run
    // at its first tick without a word.
    endTransfer(sender);
    controls_.close->setEnabled(false);
    sender.setSequenceStep(1);
    pacer_.start(run_.interval);
}

void TransferDialog::step() {
    if (!pacer_.isRunning())
        return; // no run, or it ended while this tick waited behind a box
    CommandSender& sender = context_.sender;
    if (sender.exchange().exchangeFailed != 0) {
        stop();
        return;
    }
    const int current = sender.exchange().sequenceStep;
    const bool carriedOut = runStep(current);
    controls_.percentage->setText(QString::number(current * 100 / run_.percentageBase));
    controls_.progress->setValue(controls_.progress->value() + 1);
    sender.setSequenceStep(current + 1);
    if (current >= run_.stepCount || !carriedOut)
        finish();
    if (!carriedOut)
        context_.boxes.showError(run_.failureText);
}

// Back to idle with the dialog open; the percentage and the bar stay where they were.
void TransferDialog::stop() {
    pacer_.stop();
    controls_.close->setEnabled(true);
    endTransfer(context_.sender);
}

void TransferDialog::finish() {
    stop();
    controls_.percentage->setText(QStringLiteral("   "));
    controls_.progress->setValue(0);
    done(2);
}
