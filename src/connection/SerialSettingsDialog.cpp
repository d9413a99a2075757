#include "connection/SerialSettingsDialog.h"

#include "connection/ChoiceList.h"
#include "core/AppState.h"
#include "link/LinkSettings.h"
#include "ui/DialogSetup.h"
#include "ui_SerialSettingsDialog.h"

SerialSettingsDialog::SerialSettingsDialog(AppState& state, ProfileFile& settingsFile,
                                           QWidget* parent)
    : ConnectionDialog(parent) {
    Ui::SerialSettingsDialog form;
    form.setupUi(this);
    beginDialog(*this, state.dialogs);
    QStringList ports;
    for (int port = 1; port <= 6; ++port)
        ports.append(QStringLiteral("COM %1").arg(port));
    bindChoiceList(*form.comPortList, ports, state.link, &LinkConfiguration::comPortIndex,
                   settingsFile, writeComPort);
    bindChoiceList(*form.rs485ModeList, {QStringLiteral("RS-232C"), QStringLiteral("RS-485")},
                   state.link, &LinkConfiguration::rs485Mode, settingsFile, writeRs485Mode);
    closeOn(*form.okButton);
    closeOn(*form.closeButton);
}
