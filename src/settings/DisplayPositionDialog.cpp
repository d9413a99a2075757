#include "settings/DisplayPositionDialog.h"

#include "commands/DisplayPositionCommands.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"

DisplayPositionDialog::DisplayPositionDialog(DialogContext& context, QWidget* parent)
    : AreaListDialog(context, parent,
                     {QStringLiteral("表示位置微調整"), QStringLiteral("表示位置の微調整 ")},
                     numberEntries(displayPositionCount, 0), context.document.displayPosition,
                     sendDisplayPosition) {}
