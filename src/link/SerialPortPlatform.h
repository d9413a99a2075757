#pragma once

#include "link/ConfigFolder.h"

#include <QString>

class QSerialPort;

// Where the serial link meets the operating system: the names of the COM ports and what Qt's
// serial port does not set by itself. All of the link that depends on the platform is here.

// The device behind "COM1" to "COM6" (comPortIndex 0 to 5); empty for any other index.
// Windows: the COM name itself. Linux: a link named COM1 to COM6 in the configuration folder
// when there is one (to /dev/ttyUSB0, a pseudo-terminal, ...), otherwise /dev/ttyS0 to ttyS5.
QString serialDevicePath(const ConfigFolder& folder, int comPortIndex);

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
