#include "settings/StartupPageDialog.h"

#include "commands/StartupPageCommands.h"
#include "ui/DialogContext.h"

StartupPageDialog::StartupPageDialog(DialogContext& context, QWidget* parent)
    : AreaListDialog(
          context, parent,
          {QStringLiteral("スタートアップの設定"), QStringLiteral("スタートアップの設定 ")},
          fillPageList, context.document.startupPage, sendStartupPage) {}
