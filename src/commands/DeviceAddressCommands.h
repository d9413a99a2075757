#pragma once

#include <QByteArray>

struct CommandContext;

// "SA" and the slave address as two digits: the address under which the device answers on an
// RS-485 line. Broadcast (32) is written "32"; any address outside 0 to 31 counts as Broadcast,
// as it does for the RS-485 prefix.
QByteArray deviceAddressLine(int slaveAddress);

// Sends slaveAddress to the device. On RS-485 the same address also chooses the device that the
// line goes to.
void sendDeviceAddress(CommandContext& context);
