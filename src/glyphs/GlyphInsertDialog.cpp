#include "glyphs/GlyphInsertDialog.h"

#include "commands/GlyphCommands.h"
#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"
#include "ui/PageEntries.h"
#include "ui_GlyphInsertDialog.h"

GlyphInsertDialog::GlyphInsertDialog(DialogContext& context, QWidget* parent) : QDialog(parent) {
    Ui::GlyphInsertDialog form;
    form.setupUi(this);
    AppState& state = context.state;
    beginDialog(*this, state.dialogs);

    // Only a chosen entry counts, never typed text, so the lists are not editable.
    fillList(*form.channelList,
             {QStringLiteral("ch1. Top"), QStringLiteral("ch.1 Bottom"), QStringLiteral("ch.2 Top"),
              QStringLiteral("ch.2 Bottom")},
             state.selectedArea);
    auto* pages = new PageChoice(*form.pageList, context, state.selectedArea, state.selectedPage,
                                 PageChoice::Auto::Without);
    fillList(*form.glyphNumberList, numberEntries(glyphRegistrationCount),
             state.glyphs.insertGlyphNumber);
    fillList(*form.positionList, numberEntries(titleCharacterCount), state.glyphs.insertPosition);
    const std::pair<QComboBox*, int*> lists[] = {
        {form.channelList, &state.selectedArea},
        {form.pageList, &state.selectedPage},
        {form.glyphNumberList, &state.glyphs.insertGlyphNumber},
        {form.positionList, &state.glyphs.insertPosition},
    };
    for (const auto& [list, field] : lists)
        connect(list, &QComboBox::activated, this,
                [chosenField = field](int chosen) { *chosenField = chosen; });
    // The page list names the titles of the area chosen.
    connect(form.channelList, &QComboBox::activated, pages, &PageChoice::showArea);
    connect(form.insertButton, &QPushButton::clicked, this,
            [&context] { sendGlyphInsert(context); });
    connect(form.closeButton, &QPushButton::clicked, this, &GlyphInsertDialog::reject);

    setUpSlaveAddressList(*form.slaveAddressList, state.link);
    setConnectionCaption(*this, context, QStringLiteral("外字挿入 "));
}
