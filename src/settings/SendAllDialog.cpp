#include "settings/SendAllDialog.h"

#include "commands/TransferPlans.h"
#include "ui_SendAllDialog.h"

SendAllDialog::SendAllDialog(DialogContext& context, QWidget* parent)
    : TransferDialog(context, sendAllPlan, parent), form_(std::make_unique<Ui::SendAllDialog>()) {
    form_->setupUi(this);
    // Unlike the other dialogs' captions, this one has no blank before the address.
    setUp({form_->sendButton, form_->percentageEdit, form_->progressBar, form_->slaveAddressList,
           form_->closeButton},
          QStringLiteral("全項目の設定"));
}

SendAllDialog::~SendAllDialog() = default;
