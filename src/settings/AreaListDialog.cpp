#include "settings/AreaListDialog.h"

#include "core/AppState.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"
#include "ui/PageEntries.h"
#include "ui_AreaListDialog.h"

AreaListDialog::AreaListDialog(DialogContext& context, QWidget* parent, const Texts& texts,
                               FillList fill, SettingsDocument::PerArea& values, SendArea send)
    : QDialog(parent) {
    Ui::AreaListDialog form;
    form.setupUi(this);
    setWindowTitle(texts.caption);
    beginDialog(*this, context.state.dialogs);

    QComboBox* const lists[] = {form.ch1TopList, form.ch1BottomList, form.ch2TopList,
                                form.ch2BottomList};
    QPushButton* const buttons[] = {form.ch1TopSetButton, form.ch1BottomSetButton,
                                    form.ch2TopSetButton, form.ch2BottomSetButton};
    for (int area = 0; area < SettingsDocument::areaCount; ++area) {
        fill(*lists[area], context, area, values[area]);
        // Only the operator's choice counts; filling the list above changes nothing.
        connect(lists[area], &QComboBox::activated, this,
                [&values, area](int index) { values[area] = index; });
        connect(buttons[area], &QPushButton::clicked, this,
                [&context, send, area] { send(context, area); });
    }
    setUpSlaveAddressList(*form.slaveAddressList, context.state.link);
    setConnectionCaption(*this, context, texts.connectionCaption);
}

void AreaListDialog::fillPageList(QComboBox& list, DialogContext& context, int area, int selected) {
    new PageChoice(list, context, area, selected, PageChoice::Auto::With);
}
