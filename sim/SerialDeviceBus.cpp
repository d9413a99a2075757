#include "sim/SerialDeviceBus.h"

#include "sim/CommandFields.h"
#include "sim/Device.h"
#include "sim/PseudoTerminal_posix.h"

namespace sim {

SerialDeviceBus::SerialDeviceBus(QObject* parent) : SerialDeviceBus(QList<int>{0}, parent) {
    rs485_ = false;
}

SerialDeviceBus::SerialDeviceBus(const QList<int>& rs485Addresses, QObject* parent)
    : QObject(parent), rs485_(true), terminal_(new PseudoTerminal(this)) {
    for (int address : rs485Addresses)
        devices_.append(new Device(address, this));
    writer_ = new ReplyWriter([this](const QByteArray& bytes) { terminal_->write(bytes); }, {},
                              [this] { return terminal_->bytesToWrite(); }, this);
    connect(terminal_, &PseudoTerminal::bytesReceived, this, &SerialDeviceBus::takeBytes);
    connect(terminal_, &PseudoTerminal::bytesWritten, this, &SerialDeviceBus::holdInputWhileFull);
}

bool SerialDeviceBus::open() {
    return terminal_->open();
}
QString SerialDeviceBus::errorString() const {
    return terminal_->errorString();
}
QString SerialDeviceBus::slavePath() const {
    return terminal_->slavePath();
}
bool SerialDeviceBus::linkSlave(const QString& linkPath) {
    return terminal_->linkSlave(linkPath);
}

Device* SerialDeviceBus::deviceWithAddress(int address) const {
    for (Device* device : devices_) {
        if (device->slaveAddress() == address)
            return device;
    }
    return nullptr;
}

void SerialDeviceBus::takeBytes(const QByteArray& bytes) {
    for (const QByteArray& line : assembler_.feed(bytes))
        deliver(line);
    holdInputWhileFull();
}

void SerialDeviceBus::holdInputWhileFull() {
    terminal_->holdInput(!writer_->hasRoom());
}

void SerialDeviceBus::deliver(const QByteArray& line) {
    if (!rs485_) {
        writer_->send(devices_.first(), devices_.first()->receive(line));
        return;
    }
    const QByteArray address = line.left(2);
    const QByteArray command = line.mid(2);
    if (address == "FF") {
        for (Device* device : devices_)
            device->receive(command, true);
        return;
    }
    const int addressed = fields::number(address, 0, 2, 0, DeviceModel::broadcastAddress - 1);
    if (addressed < 0)
        return;
    // Addresses are compared before any device acts, so that a device that takes a new
    // address with this very line still answers it, under the address it was sent to.
    QList<Device*> receivers;
    for (Device* device : devices_) {
        if (device->slaveAddress() == addressed)
            receivers.append(device);
    }
    for (Device* device : receivers)
        writer_->send(device, device->receive(command), address);
}

} // namespace sim
