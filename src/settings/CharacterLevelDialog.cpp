#include "settings/CharacterLevelDialog.h"

#include "commands/CharacterLevelCommands.h"
#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"
#include "ui_CharacterLevelDialog.h"

CharacterLevelDialog::CharacterLevelDialog(DialogContext& context, QWidget* parent)
    : QDialog(parent) {
    Ui::CharacterLevelDialog form;
    form.setupUi(this);
    beginDialog(*this, context.state.dialogs);

    // The lists are not editable: only a chosen entry counts, never typed text.
    SettingsDocument& document = context.document;
    const QStringList levels = numberEntries(characterLevelCount, 0);
    fillList(*form.whiteLevelList, levels, document.selectedWhiteLevel);
    fillList(*form.edgeLevelList, levels, document.selectedEdgeLevel);
    connect(form.whiteLevelList, &QComboBox::activated, this,
            [&document](int index) { document.selectedWhiteLevel = index; });
    connect(form.edgeLevelList, &QComboBox::activated, this,
            [&document](int index) { document.selectedEdgeLevel = index; });
    connect(form.whiteLevelSetButton, &QPushButton::clicked, this,
            [&context] { sendWhiteLevel(context); });
    connect(form.edgeLevelSetButton, &QPushButton::clicked, this,
            [&context] { sendEdgeLevel(context); });

    setUpSlaveAddressList(*form.slaveAddressList, context.state.link);
    setConnectionCaption(*this, context, QStringLiteral("文字レベルの設定 "));
}
