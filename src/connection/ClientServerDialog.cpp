#include "connection/ClientServerDialog.h"

#include "connection/ChoiceList.h"
#include "core/AppState.h"
#include "link/LinkSettings.h"
#include "ui/DialogSetup.h"
#include "ui_ClientServerDialog.h"

ClientServerDialog::ClientServerDialog(AppState& state, ProfileFile& settingsFile,
                                       const TcpLink& tcp, QWidget* parent)
    : ConnectionDialog(parent) {
    Ui::ClientServerDialog form;
    form.setupUi(this);
    beginDialog(*this, state.dialogs);
    bindChoiceList(*form.roleList, {QStringLiteral("Client"), QStringLiteral("Server")}, state.link,
                   &LinkConfiguration::tcpRole, settingsFile, writeTcpRole,
                   lockedWhileConnected(tcp));
    closeOn(*form.okButton);
}
