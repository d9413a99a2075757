#include "settings/TransferDialog.h"

#include "commands/TitleCommands.h"
#include "core/AppState.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

TransferDialog::TransferDialog(DialogContext& context, TransferKind kind, QWidget* parent)
    : QDialog(parent), context_(context), run_(context, kind, this) {
    connect(&run_, &TransferRun::stepped, this, &TransferDialog::showStep);
    connect(&run_, &TransferRun::ended, this, &TransferDialog::finish);
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
    if (run_.start())
        controls_.close->setEnabled(false);
}

void TransferDialog::showStep(int sequenceStep) {
    controls_.percentage->setText(QString::number(sequenceStep * 100 / run_.percentageBase()));
    controls_.progress->setValue(controls_.progress->value() + 1);
}

void TransferDialog::finish(TransferRun::Ending ending) {
    controls_.close->setEnabled(true);
    // A failed run leaves the dialog open, the percentage and the bar where they were.
    if (ending == TransferRun::Ending::Failed)
        return;
    controls_.percentage->setText(QStringLiteral("   "));
    controls_.progress->setValue(0);
    done(2);
    if (ending == TransferRun::Ending::Refused)
        context_.boxes.showError(titleRefusedMessage);
}
