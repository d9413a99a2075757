#include "app/AboutDialog.h"

#include "core/DialogTracking.h"
#include "link/TcpLink.h"
#include "ui/DialogSetup.h"
#include "ui_AboutDialog.h"

AboutDialog::AboutDialog(DialogTracking& dialogs, const TcpLink& tcp, QWidget* parent)
    : QDialog(parent) {
    Ui::AboutDialog form;
    form.setupUi(this);
    beginDialog(*this, dialogs);
    setConnectionCaption(*this, tcp.chosenAddressText(),
                         QStringLiteral("ZEV530TQのバージョン情報 "));
}
