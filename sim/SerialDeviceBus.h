#pragma once

#include "sim/LineAssembler.h"
#include "sim/ReplyWriter.h"

#include <QList>
#include <QObject>

namespace sim {

class Device;
class PseudoTerminal;

// Devices on a serial line, reached through a pseudo-terminal whose slave the program opens
// as its serial port.
//
// RS-232C: one device; every line is its command and its replies go out unchanged.
// RS-485: several devices with their own slave addresses on the same line. A command line
// begins with two address characters, "00" to "31" or "FF": a device acts only on lines with
// its current address and answers with that address in front of its reply; on "FF"
// (broadcast) every device acts and none answers. Lines with any other beginning are ignored.
// XON and XOFF bytes on the line are ignored. Input is read only while the replies have room
// (see ReplyWriter), so a program that does not read its replies is held back.
class SerialDeviceBus : public QObject {
    Q_OBJECT
public:
    // An RS-232C line with one device.
    explicit SerialDeviceBus(QObject* parent = nullptr);
    // An RS-485 bus with one device for each address (0 to 31), in this order.
    explicit SerialDeviceBus(const QList<int>& rs485Addresses, QObject* parent = nullptr);

    // Opens the pseudo-terminal; errorString() tells why not.
    bool open();
    QString errorString() const;
    // The path the program opens, for example /dev/pts/3.
    QString slavePath() const;
    // A symbolic link at linkPath to the slave, removed when the bus is destroyed.
    bool linkSlave(const QString& linkPath);

    bool isRs485() const { return rs485_; }
    int deviceCount() const { return int(devices_.size()); }
    Device* device(int index = 0) const { return devices_[index]; }
    // The first device whose slave address is `address`, or nullptr.
    Device* deviceWithAddress(int address) const;
    // Replies not yet taken by the line, in bytes.
    qsizetype unsentBytes() const { return writer_->unsentBytes(); }

private:
    void takeBytes(const QByteArray& bytes);
    void deliver(const QByteArray& line);
    void holdInputWhileFull();

    bool rs485_;
    QList<Device*> devices_;
    PseudoTerminal* terminal_;
    LineAssembler assembler_{true};
    ReplyWriter* writer_;
};

} // namespace sim
