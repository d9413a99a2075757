#include "connection/InterfaceDialog.h"

#include "connection/ChoiceList.h"
#include "core/AppState.h"
#include "link/LinkSettings.h"
#include "settings/DialogSetup.h"
#include "ui_InterfaceDialog.h"

InterfaceDialog::InterfaceDialog(AppState& state, ProfileFile& settingsFile, const TcpLink& tcp,
                                 QWidget* parent)
    : ConnectionDialog(parent) {
    Ui::InterfaceDialog form;
    form.setupUi(this);
    beginDialog(*this, state.dialogs);
    bindChoiceList(*form.interfaceList, {QStringLiteral("RS-232C/485"), QStringLiteral("TCP/IP")},
                   state.link, &LinkConfiguration::interfaceKind, settingsFile, writeInterfaceKind,
                   lockedWhileConnected(tcp));
    closeOn(*form.okButton);
    closeOn(*form.closeButton);
}
