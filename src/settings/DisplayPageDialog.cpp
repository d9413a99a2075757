#include "settings/DisplayPageDialog.h"

#include "commands/DisplayPageCommands.h"
#include "ui/DialogContext.h"

DisplayPageDialog::DisplayPageDialog(DialogContext& context, QWidget* parent)
    : AreaListDialog(context, parent,
                     {QStringLiteral("表示ページ切り換え"), QStringLiteral("表示ページの切換え ")},
                     fillPageList, context.document.displayPage, sendDisplayPage) {}
