#pragma once

#include "app/AppState.h"
#include "document/SettingsDocument.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "protocol/ReplyHandler.h"
#include "support/RecordingPrompts.h"

#include <QList>
#include <QTemporaryDir>
#include <memory>

namespace sim {
class Device;
class SerialDeviceBus;
class TcpDeviceClients;
class TcpDeviceServer;
} // namespace sim

// The program's side of the device exchange (state, document, recorded boxes, reply handler,
// command sender and the real links) joined to the simulator over one real link:
//  - TcpClient: the program connects to a simulated device listening on 127.0.0.1;
//  - TcpServer: the program listens and one simulated device connects to it, and is chosen;
//  - Rs232c, Rs485: the simulator's pseudo-terminal is the program's COM1 (where the simulator
//    has pseudo-terminals, ZEV_SIM_POSIX; elsewhere start() fails).
// The state is set up as the operator would have it for that link (interface, role, RS-485
// mode, chosen connection) and the link is up once start() returns true.
class LinkedDevice {
public:
    enum class Link { TcpClient, TcpServer, Rs232c, Rs485 };

    // rs485Addresses: the slave addresses of the devices on an RS-485 bus, one device each.
    explicit LinkedDevice(Link link, const QList<int>& rs485Addresses = {0});
    ~LinkedDevice();

    // Opens both ends and waits (briefly, with the event loop running) until the link is up.
    bool start();
    // Why start() failed.
    QString errorString() const { return error_; }

    // The simulated device: the only one, or the first device of the bus.
    sim::Device* device() const;
    // The device of an RS-485 bus that has the slave address now, or nullptr.
    sim::Device* deviceWithAddress(int address) const;

    AppState state;
    SettingsDocument document;
    RecordingPrompts prompts;
    MessageBoxes boxes{prompts, state};
    ReplyHandler replies{state, document, boxes};
    QTemporaryDir configFolder; // holds the COM1 link to the simulator's pseudo-terminal
    TcpLink tcp{state, boxes};
    SerialLink serial;
    CommandSender sender{state, boxes, replies, serial, tcp};

private:
    // Each returns why it failed, or nothing.
    QString startTcp();
    QString startSerial();

    Link link_;
    QList<int> rs485Addresses_;
    std::unique_ptr<sim::TcpDeviceServer> server_;
    std::unique_ptr<sim::TcpDeviceClients> clients_;
#ifdef ZEV_SIM_POSIX
    std::unique_ptr<sim::SerialDeviceBus> bus_;
#endif
    QString error_;
};
