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

TransferDialog::TransferDialog(DialogContext& context, const Run& run, QWidget* parent)
    : QDialog(parent), context_(context), run_(run),
      pacer_(
          context, QStringLiteral("runTimer"), [this](int sequenceStep) { step(sequenceStep); },
          this) {
    // Back to idle with the dialog open; the percentage and the bar stay where they were.
    connect(&pacer_, &TransferPacer::failed, this, [this] { controls_.close->setEnabled(true); });
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
    if (pacer_.begin(run_.interval))
        controls_.close->setEnabled(false);
}

void TransferDialog::step(int sequenceStep) {
    const bool carriedOut = runStep(sequenceStep);
    controls_.percentage->setText(QString::number(sequenceStep * 100 / run_.percentageBase));
    controls_.progress->setValue(controls_.progress->value() + 1);
    context_.sender.setSequenceStep(sequenceStep + 1);
    if (sequenceStep >= run_.stepCount || !carriedOut)
        finish();
    if (!carriedOut)
        context_.boxes.showError(run_.failureText);
}

void TransferDialog::finish() {
    pacer_.end();
    controls_.close->setEnabled(true);
    controls_.percentage->setText(QStringLiteral("   "));
    controls_.progress->setValue(0);
    done(2);
}
