#pragma once

#include "settings/AreaListDialog.h"

// Sets the page that each display area shows now, or automatic switching (AUTO).
class DisplayPageDialog : public AreaListDialog {
    Q_OBJECT
public:
    static constexpr int number = 109;

    DisplayPageDialog(DialogContext& context, QWidget* parent = nullptr);
};
