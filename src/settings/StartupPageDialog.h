#pragma once

#include "settings/AreaListDialog.h"

// Sets the page that each display area shows when the device starts, or automatic switching (AUTO).
class StartupPageDialog : public AreaListDialog {
    Q_OBJECT
public:
    static constexpr int number = 110;

    StartupPageDialog(DialogContext& context, QWidget* parent = nullptr);
};
