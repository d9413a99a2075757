#pragma once

#include "settings/AreaListDialog.h"

// Sets the fine position of each display area's characters, in steps 0 to 15.
class DisplayPositionDialog : public AreaListDialog {
    Q_OBJECT
public:
    static constexpr int number = 116;

    DisplayPositionDialog(DialogContext& context, QWidget* parent = nullptr);
};
