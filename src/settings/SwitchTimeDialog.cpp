#include "settings/SwitchTimeDialog.h"

#include "commands/SwitchTimeCommands.h"
#include "core/AppState.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"

namespace {
// The page list and the time list show what "設定" would send.
QString timePageLine(int pageNumber, int seconds) {
    return QStringLiteral("Page%1 = %2 秒")
        .arg(pageNumber, 2, 10, QLatin1Char('0'))
        .arg(sendableSeconds(seconds), 2, 10, QLatin1Char('0'));
}
} // namespace

SwitchTimeDialog::SwitchTimeDialog(DialogContext& context, QWidget* parent)
    : PageTableDialog(context, parent,
                      {QStringLiteral("自動切換えの設定"), QStringLiteral("自動切換えの設定 "),
                       QStringLiteral("Time(second)"), QStringLiteral("Same Time"),
                       QStringLiteral("timeList"), QStringLiteral("sameTimeList")},
                      {context.document.autoSwitchTimes, context.state.sameTimeChoice,
                       numberEntries(switchTimeCount, 0), sendableSeconds, timePageLine,
                       sendSwitchTime, sendSwitchTimes, transferIntervalMs}) {}
