#pragma once

#include "settings/TransferDialog.h"

#include <memory>

namespace Ui {
class SendAllDialog;
}

// Pushes the whole document to the device in 280 steps: the 256 titles every 600 ms, then,
// every 1200 ms, the switching times and on flags of each area, both character levels, and
// each area's start-up page, position and current page. Every line is composed by the dialog
// that owns it. A title that cannot be encoded ends the run and the dialog.
class SendAllDialog : public TransferDialog {
    Q_OBJECT
public:
    static constexpr int number = 106;
    static constexpr int stepCount = 280;
    static constexpr int titleInterval = 600;
    static constexpr int settingInterval = 1200;

    SendAllDialog(DialogContext& context, QWidget* parent = nullptr);
    ~SendAllDialog() override;

protected:
    bool runStep(int step) override;

private:
    std::unique_ptr<Ui::SendAllDialog> form_;
};
