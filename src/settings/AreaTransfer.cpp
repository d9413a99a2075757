#include "settings/AreaTransfer.h"

#include "protocol/CommandSender.h"
#include "ui/DialogContext.h"

#include <QProgressBar>
#include <QWidget>

AreaTransfer::AreaTransfer(DialogContext& context, SendArea send, int intervalMs,
                           QProgressBar& progress, QWidget& closeButton, QObject* parent)
    : QObject(parent), context_(context), send_(send), progress_(progress),
      closeButton_(closeButton), pacer_(
                                     context, QStringLiteral("transferTimer"),
                                     [this](int sequenceStep) { step(sequenceStep); }, this) {
    // The progress bar stays where it was: it shows how far the transfer came.
    connect(&pacer_, &TransferPacer::failed, this, [this] { closeButton_.setEnabled(true); });
    pacer_.timer().setInterval(intervalMs);
    progress_.setRange(0, areaSteps - 1);
    progress_.setValue(0);
}

void AreaTransfer::start() {
    if (pacer_.begin(pacer_.timer().interval()))
        closeButton_.setEnabled(false);
}

void AreaTransfer::step(int sequenceStep) {
    if (sequenceStep >= 1 && sequenceStep <= areaSteps)
        send_(context_, sequenceStep - 1);
    progress_.setValue(progress_.value() + 1);
    context_.sender.setSequenceStep(sequenceStep + 1);
    if (sequenceStep + 1 > areaSteps) {
        finish();
        progress_.setValue(0);
    }
}

void AreaTransfer::finish() {
    pacer_.end();
    closeButton_.setEnabled(true);
}
