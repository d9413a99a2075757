#include "settings/DeviceAddressDialog.h"

#include "commands/DeviceAddressCommands.h"
#include "core/AppState.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"
#include "ui_DeviceAddressDialog.h"

DeviceAddressDialog::DeviceAddressDialog(DialogContext& context, QWidget* parent)
    : QDialog(parent) {
    Ui::DeviceAddressDialog form;
    form.setupUi(this);
    beginDialog(*this, context.state.dialogs);

    // Whatever the link, the list shows the address: it is what this dialog sends.
    setUpSlaveAddressList(*form.slaveAddressList, context.state.link, true);
    connect(form.setButton, &QPushButton::clicked, this,
            [&context] { sendDeviceAddress(context); });
    setConnectionCaption(*this, context, QStringLiteral("機器のスレーブアドレス "));
}
