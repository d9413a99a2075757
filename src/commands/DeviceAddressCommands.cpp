#include "commands/DeviceAddressCommands.h"

#include "commands/CommandContext.h"
#include "core/AppState.h"
#include "protocol/CommandSender.h"
#include "protocol/FieldEncoding.h"

QByteArray deviceAddressLine(int slaveAddress) {
    QByteArray line("SA00\r\n");
    const bool single = slaveAddress >= 0 && slaveAddress < LinkConfiguration::broadcastAddress;
    twoDigits(single ? slaveAddress : LinkConfiguration::broadcastAddress, line.data() + 2);
    return line;
}

void sendDeviceAddress(CommandContext& context) {
    context.sender.send(deviceAddressLine(context.state.link.slaveAddress));
}
