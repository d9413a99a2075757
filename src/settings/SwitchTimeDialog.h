#pragma once

#include "settings/PageTableDialog.h"

// Sets for each page the seconds it stays up when its area switches pages by itself, and sends
// the time of one page or, with "全設定", of all pages (one line per area every 1.2 s).
class SwitchTimeDialog : public PageTableDialog {
    Q_OBJECT
public:
    static constexpr int number = 117;
    static constexpr int transferIntervalMs = 1200;

    SwitchTimeDialog(DialogContext& context, QWidget* parent = nullptr);
};
