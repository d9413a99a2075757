#include "settings/AreaListDialog.h"

#include "core/AppState.h"
#include "settings/DialogContext.h"
#include "settings/DialogSetup.h"
#include "ui_AreaListDialog.h"

AreaListDialog::AreaListDialog(DialogContext& context, QWidget* parent, const Texts& texts,
                               const QStringList& entries, SettingsDocument::PerArea& values,
                               SendArea send)
    : QDialog(parent) {
    Ui::AreaListDialog form;
    form.setupUi(this);
    setWindowTitle(texts.caption);
    beginDialog(*this, context.state.dialogs);

    QComboBox* const lists[] = {form.list1020, form.list1021, form.list1022, form.list1023};
    QPushButton* const buttons[] = {form.button1005, form.button1006, form.button1007,
                                    form.button1008};
    for (int area = 0; area < SettingsDocument::areaCount; ++area) {
        fillList(*lists[area], entries, values[area]);
        // Only the operator's choice counts; filling the list above changes nothing.
        connect(lists[area], &QComboBox::activated, this,
                [&values, area](int index) { values[area] = index; });
        connect(buttons[area], &QPushButton::clicked, this,
                [&context, send, area] { send(context, area); });
    }
    setUpSlaveAddressList(*form.list1081, context.state.link);
    setConnectionCaption(*this, context, texts.connectionCaption);
}

QStringList AreaListDialog::pageEntries() {
    return numberEntries(SettingsDocument::pageCount) << QStringLiteral("AUTO");
}
