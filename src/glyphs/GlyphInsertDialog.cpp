#include "glyphs/GlyphInsertDialog.h"

#include "commands/GlyphCommands.h"
#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"
#include "ui_GlyphInsertDialog.h"

GlyphInsertDialog::GlyphInsertDialog(DialogContext& context, QWidget* parent) : QDialog(parent) {
    Ui::GlyphInsertDialog form;
    form.setupUi(this);
    AppState& state = context.state;
    beginDialog(*this, state.dialogs);

    // Only a chosen entry counts, never typed text, so the lists are not editable.
    const std::pair<QComboBox*, int*> lists[] = {
        {form.channelList, &state.selectedArea},
        {form.pageList, &state.selectedPage},
        {form.glyphNumberList, &state.glyphs.insertGlyphNumber},
        {form.positionList, &state.glyphs.insertPosition},
    };
    const QStringList entries[] = {
        {QStringLiteral("ch1. Top"), QStringLiteral("ch.1 Bottom"), QStringLiteral("ch.2 Top"),
         QStringLiteral("ch.2 Bottom")},
        numberEntries(SettingsDocument::pageCount),
        numberEntries(glyphRegistrationCount),
        numberEntries(titleCharacterCount),
    };
    for (int index = 0; index < 4; ++index) {
        const auto [list, field] = lists[index];
        fillList(*list, entries[index], *field);
        connect(list, &QComboBox::activated, this,
                [chosenField = field](int chosen) { *chosenField = chosen; });
    }
    connect(form.insertButton, &QPushButton::clicked, this,
            [&context] { sendGlyphInsert(context); });
    connect(form.closeButton, &QPushButton::clicked, this, &GlyphInsertDialog::reject);

    setUpSlaveAddressList(*form.slaveAddressList, state.link);
    setConnectionCaption(*this, context, QStringLiteral("外字挿入 "));
}
