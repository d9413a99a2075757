#pragma once

#include "settings/PageTableDialog.h"

// Switches the title of each page on or off, and sends the flag of one page or, with "全設定",
// of all pages (one line per area every 500 ms).
class DisplayFlagDialog : public PageTableDialog {
    Q_OBJECT
public:
    static constexpr int number = 114;
    static constexpr int transferIntervalMs = 500;

    DisplayFlagDialog(DialogContext& context, QWidget* parent = nullptr);
};
