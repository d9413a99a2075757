#include "app/AboutDialog.h"

#include "core/AppState.h"
#include "settings/DialogSetup.h"
#include "ui_AboutDialog.h"

AboutDialog::AboutDialog(AppState& state, QWidget* parent) : QDialog(parent) {
    Ui::AboutDialog form;
    form.setupUi(this);
    beginDialog(*this, state.dialogs);
    setConnectionCaption(*this, state, QStringLiteral("ZEV530TQのバージョン情報 "));
}
