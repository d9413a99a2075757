#include "settings/DisplayPageDialog.h"

#include "settings/DialogContext.h"
#include "settings/DisplayPageCommands.h"

DisplayPageDialog::DisplayPageDialog(DialogContext& context, QWidget* parent)
    : AreaListDialog(context, parent,
                     {QStringLiteral("表示ページ切り換え"), QStringLiteral("表示ページの切換え ")},
                     pageEntries(), context.document.displayPage, sendDisplayPage) {}
