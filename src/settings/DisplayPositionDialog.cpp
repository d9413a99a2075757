#include "settings/DisplayPositionDialog.h"

#include "commands/DisplayPositionCommands.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"

namespace {
// "0" to "15", the index being the position.
void fillPositionList(QComboBox& list, DialogContext&, int, int selected) {
    fillList(list, numberEntries(displayPositionCount, 0), selected);
}
} // namespace

DisplayPositionDialog::DisplayPositionDialog(DialogContext& context, QWidget* parent)
    : AreaListDialog(context, parent,
                     {QStringLiteral("表示位置微調整"), QStringLiteral("表示位置の微調整 ")},
                     fillPositionList, context.document.displayPosition, sendDisplayPosition) {}
