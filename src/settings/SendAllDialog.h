#pragma once

#include "settings/TransferDialog.h"

#include <memory>

namespace Ui {
class SendAllDialog;
}

// Pushes the whole document to the device (the Send All plan): every line is composed by
// the dialog that owns it. A title that cannot be encoded ends the run and the dialog.
class SendAllDialog : public TransferDialog {
    Q_OBJECT
public:
    static constexpr int number = 106;

    SendAllDialog(DialogContext& context, QWidget* parent = nullptr);
    ~SendAllDialog() override;

private:
    std::unique_ptr<Ui::SendAllDialog> form_;
};
