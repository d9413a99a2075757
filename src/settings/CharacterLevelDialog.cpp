#include "settings/CharacterLevelDialog.h"

#include "core/AppState.h"
#include "document/SettingsDocument.h"
#include "settings/CharacterLevelCommands.h"
#include "settings/DialogContext.h"
#include "settings/DialogSetup.h"
#include "ui_CharacterLevelDialog.h"

CharacterLevelDialog::CharacterLevelDialog(DialogContext& context, QWidget* parent)
    : QDialog(parent) {
    Ui::CharacterLevelDialog form;
    form.setupUi(this);
    beginDialog(*this, context.state.dialogs);

    // The lists are not editable: only a chosen entry counts, never typed text.
    SettingsDocument& document = context.document;
    const QStringList levels = numberEntries(characterLevelCount, 0);
    fillList(*form.list1058, levels, document.selectedWhiteLevel);
    fillList(*form.list1059, levels, document.selectedEdgeLevel);
    connect(form.list1058, &QComboBox::activated, this,
            [&document](int index) { document.selectedWhiteLevel = index; });
    connect(form.list1059, &QComboBox::activated, this,
            [&document](int index) { document.selectedEdgeLevel = index; });
    connect(form.button1009, &QPushButton::clicked, this, [&context] { sendWhiteLevel(context); });
    connect(form.button1010, &QPushButton::clicked, this, [&context] { sendEdgeLevel(context); });

    setUpSlaveAddressList(*form.list1081, context.state.link);
    setConnectionCaption(*this, context, QStringLiteral("文字レベルの設定 "));
}
