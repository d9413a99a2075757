#include "settings/TransferDialog.h"

#include "commands/TitleCommands.h"
#include "commands/TransferPlans.h"
#include "core/AppState.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

TransferDialog::TransferDialog(DialogContext& context, PlanOf plan, QWidget* parent)
    : QDialog(parent), context_(context), plan_(plan),
      run_(context, QStringLiteral("runTimer"), this) {
    connect(&run_, &TransferPacer::stepped, this, &TransferDialog::showStep);
    connect(&run_, &TransferPacer::ended, this, &TransferDialog::finish);
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
    if (!run_.isRunning())
        done(2);
}

void TransferDialog::start() {
    if (run_.start(plan_(context_)))
        controls_.close->setEnabled(false);
}

void TransferDialog::showStep() {
    controls_.percentage->setText(QString::number(run_.percentage()));
    controls_.progress->setValue(controls_.progress->value() + 1);
}

void TransferDialog::finish(TransferPacer::Ending ending) {
    controls_.close->setEnabled(true);
    // A failed run leaves the dialog open, the percentage and the bar where they were.
    if (ending == TransferPacer::Ending::Failed)
        return;
    controls_.percentage->setText(QStringLiteral("   "));
    controls_.progress->setValue(0);
    done(2);
    if (ending == TransferPacer::Ending::Refused)
        context_.boxes.showError(titleRefusedMessage);
}
