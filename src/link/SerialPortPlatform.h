#pragma once

#include "link/ConfigFolder.h"

#include <QString>

class QSerialPort;

// Where the serial link meets the operating system: the names of the COM ports and what Qt's
// serial port does not set by itself. All of the link that depends on the platform is here.

// Where the device behind "COM1" to "COM6" (comPortIndex 0 to 5) comes from, as the operator
// set it up: the path named for that port in the settings file; else, on Linux, the link named
// COM1 to COM6 in the configuration folder (to /dev/ttyUSB0, a pseudo-terminal, ...); else the
// system's own name of the port (Windows: COM1; Linux: /dev/ttyS0 to ttyS5). The source is chosen
// when the operator chooses the port, or at start-up, and kept: a port that is lost is looked
// for where it was, and never replaced by another device.
class SerialPortSource {
public:
    enum class Kind { Configured, FolderLink, SystemName, None };

    // The source of the port comPortIndex; Kind::None for an index beyond COM6.
    static SerialPortSource choose(const ConfigFolder& folder, int comPortIndex,
                                   const QString& configuredPath);

    Kind kind() const { return kind_; }
    int comPortIndex() const { return comPortIndex_; }
    // The device to open now. A link of the configuration folder is followed afresh each time,
    // so that a device that came back under another name (a simulator restarted on a new
    // pseudo-terminal) is found; empty while the link is gone.
    QString devicePath() const;
    // Why there is no device to open, for the operator.
    QString absentReason() const;

private:
    Kind kind_ = Kind::None;
    int comPortIndex_ = -1;
    QString path_; // the configured path, the folder's link, or the system's name
};

// An open pseudo-terminal: a line without parity and without modem lines.
bool isPseudoTerminal(const QSerialPort& port);

// Sizes the driver's input and output queues where the driver lets us (Windows); elsewhere the
// queues are fixed and only the port being open counts.
bool setQueueSizes(QSerialPort& port, int bytes);

// Output held while CTS is off and RTS raised while input can be taken (on Windows DTR too).
bool applyHardwareHandshake(QSerialPort& port);

// XON/XOFF on output and input with XON 0x11 and XOFF 0x13, and received parity errors ignored;
// Qt offers either this or the hardware handshake, the device wants both.
bool applySoftwareHandshake(QSerialPort& port);

// Bytes that the driver has taken but not yet sent.
qint64 driverOutputQueue(const QSerialPort& port);
