#pragma once

#include "settings/TransferDialog.h"

#include <memory>

namespace Ui {
class ReadBackDialog;
}

// The maintenance read-back: reads every setting and all 256 titles from the device into the
// document (the read-back plan). The reply handler stores what comes back and shows
// "Read ＯＫ" when the last title has been stored.
class ReadBackDialog : public TransferDialog {
    Q_OBJECT
public:
    static constexpr int number = 118;

    ReadBackDialog(DialogContext& context, QWidget* parent = nullptr);
    ~ReadBackDialog() override;

private:
    std::unique_ptr<Ui::ReadBackDialog> form_;
};
