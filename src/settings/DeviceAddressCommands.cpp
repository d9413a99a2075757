#include "settings/DeviceAddressCommands.h"

#include "app/AppState.h"
#include "protocol/CommandSender.h"
#include "protocol/FieldEncoding.h"
#include "settings/DialogContext.h"

QByteArray deviceAddressLine(int slaveAddress) {
    QByteArray line("SA00\r\n");
    const bool single = slaveAddress >= 0 && slaveAddress < AppState::broadcastAddress;
    twoDigits(single ? slaveAddress : AppState::broadcastAddress, line.data() + 2);
    return line;
}

void sendDeviceAddress(DialogContext& context) {
    context.sender.send(deviceAddressLine(context.state.slaveAddress));
}
