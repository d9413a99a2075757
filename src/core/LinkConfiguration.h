#pragma once

#include "core/FixedText.h"

#include <QString>
#include <array>
#include <cstdint>

// How the program reaches the device. The values are the ones the settings file stores.
enum class InterfaceKind { Serial = 0, Tcp = 1 };
enum class TcpRole { Client = 0, Server = 1 };
enum class Rs485Mode { Rs232c = 0, Rs485 = 1 };

// A device's IPv4 address as four octets, octet 0 being the leftmost.
using HostAddress = std::array<std::uint8_t, 4>;

// The link settings kept in the settings file: read at start-up, changed by the connection
// dialogs, each change written back at once.
struct LinkConfiguration {
    static constexpr int hostCapacity = 256;
    static constexpr int broadcastAddress = 32;
    static constexpr int noConnection = -1; // selectedConnection when none is chosen
    static constexpr int comPortCount = 6;  // COM1 to COM6

    InterfaceKind interfaceKind = InterfaceKind::Serial; // RS-232C/RS-485, or TCP/IP
    TcpRole tcpRole = TcpRole::Client;
    Rs485Mode rs485Mode = Rs485Mode::Rs232c;
    int comPortIndex = 0; // COM1 to COM6
    // The device the operator named for each COM port in the settings file ("com1_device", an
    // adapter's /dev/serial/by-id/... path); empty where none is named.
    std::array<QString, comPortCount> comDevicePaths{};
    FixedText<6> portNumberText{"09004"};
    std::array<HostAddress, hostCapacity> hostAddresses{};
    int hostCount = 0;
    int selectedConnection = 0; // client: host index; server: connection entry; or noConnection
    int slaveAddress = 0;       // 0 to 31, or broadcastAddress
    // Server role: only devices whose address is in the host list may connect; the others are
    // closed at once. Off, anyone who reaches the port takes an entry.
    bool listedHostsOnly = false;

    bool isTcp() const { return interfaceKind == InterfaceKind::Tcp; }
    bool isRs485() const { return rs485Mode == Rs485Mode::Rs485; }
    bool isServer() const { return tcpRole == TcpRole::Server; }
};
