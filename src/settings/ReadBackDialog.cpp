#include "settings/ReadBackDialog.h"

#include "protocol/CommandSender.h"
#include "settings/DialogContext.h"
#include "settings/ReadBackCommands.h"
#include "ui_ReadBackDialog.h"

ReadBackDialog::ReadBackDialog(DialogContext& context, QWidget* parent)
    : TransferDialog(context, {readBackStepCount, readBackStepCount + 1, interval, {}}, parent),
      form_(std::make_unique<Ui::ReadBackDialog>()) {
    form_->setupUi(this);
    setUp({form_->readButton, form_->percentageEdit, form_->progressBar, form_->slaveAddressList,
           form_->closeButton},
          QStringLiteral("設定項目の読み込み"));
}

ReadBackDialog::~ReadBackDialog() = default;

bool ReadBackDialog::runStep(int step) {
    const QByteArray request = readBackRequest(step);
    if (!request.isEmpty())
        context().sender.send(request);
    return true;
}
