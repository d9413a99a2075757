#include "connection/InterfaceDialog.h"

#include "connection/ChoiceList.h"
#include "core/AppState.h"
#include "link/LinkSettings.h"
#include "link/SerialLink.h"
#include "ui/DialogSetup.h"
#include "ui_InterfaceDialog.h"

InterfaceDialog::InterfaceDialog(AppState& state, ProfileFile& settingsFile, const TcpLink& tcp,
                                 SerialLink& serial, QWidget* parent)
    : ConnectionDialog(parent) {
    Ui::InterfaceDialog form;
    form.setupUi(this);
    beginDialog(*this, state.dialogs);
    bindChoiceList(*form.interfaceList, {QStringLiteral("RS-232C/485"), QStringLiteral("TCP/IP")},
                   state.link, &LinkConfiguration::interfaceKind, settingsFile, writeInterfaceKind,
                   lockedWhileConnected(tcp));
    // After the choice has been stored: the port's failures show over this dialog.
    connect(form.interfaceList, &QComboBox::activated, this, [&state, &serial] {
        if (state.link.interfaceKind == InterfaceKind::Serial && !serial.isOpen())
            serial.openSerialPort();
    });
    closeOn(*form.okButton);
    closeOn(*form.closeButton);
}
