#include "settings/StartupPageDialog.h"

#include "settings/DialogContext.h"
#include "settings/StartupPageCommands.h"

StartupPageDialog::StartupPageDialog(DialogContext& context, QWidget* parent)
    : AreaListDialog(
          context, parent,
          {QStringLiteral("スタートアップの設定"), QStringLiteral("スタートアップの設定 ")},
          pageEntries(), context.document.startupPage, sendStartupPage) {}
