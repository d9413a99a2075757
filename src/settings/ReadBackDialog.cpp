#include "settings/ReadBackDialog.h"

#include "commands/TransferPlans.h"
#include "ui_ReadBackDialog.h"

ReadBackDialog::ReadBackDialog(DialogContext& context, QWidget* parent)
    : TransferDialog(context, readBackPlan, parent), form_(std::make_unique<Ui::ReadBackDialog>()) {
    form_->setupUi(this);
    setUp({form_->readButton, form_->percentageEdit, form_->progressBar, form_->slaveAddressList,
           form_->closeButton},
          QStringLiteral("設定項目の読み込み"));
    // The read overwrites the document: Enter, or a key pressed by chance, must not start it.
    form_->closeButton->setDefault(true);
    form_->closeButton->setFocus();
}

ReadBackDialog::~ReadBackDialog() = default;
