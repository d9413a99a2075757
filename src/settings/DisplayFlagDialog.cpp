#include "settings/DisplayFlagDialog.h"

#include "commands/DisplayFlagCommands.h"
#include "core/AppState.h"
#include "ui/DialogContext.h"

namespace {
// Entry 1 for any flag but 0, as the line sent counts it.
int shownFlag(int flag) {
    return flag != 0 ? 1 : 0;
}

QString flagPageLine(int pageNumber, int flag) {
    return QStringLiteral("Page%1 = %2")
        .arg(pageNumber, 2, 10, QLatin1Char('0'))
        .arg(flag != 0 ? QStringLiteral("ON ") : QStringLiteral("OFF"));
}
} // namespace

DisplayFlagDialog::DisplayFlagDialog(DialogContext& context, QWidget* parent)
    : PageTableDialog(context, parent,
                      {QStringLiteral("タイトル表示の設定"), QStringLiteral("タイトル表示の設定 "),
                       QStringLiteral("Display"), QStringLiteral("Same Display"),
                       QStringLiteral("displayList"), QStringLiteral("sameDisplayList")},
                      {context.document.titleDisplayOn,
                       context.state.sameDisplayChoice,
                       {QStringLiteral("OFF"), QStringLiteral("ON ")},
                       shownFlag,
                       flagPageLine,
                       sendDisplayFlag,
                       sendDisplayFlags,
                       transferIntervalMs}) {}
