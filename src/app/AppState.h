#pragma once

#include "app/FixedText.h"

#include <QObject>
#include <QPointer>
#include <array>
#include <cstdint>

class QTcpSocket;

// One device connection of the server role. Entry 0 of the table is always marked in use so
// that index 0 can stand for "none".
struct Connection {
    int inUse = 0;
    QTcpSocket* socket = nullptr;
    FixedText<16> addressText;
};

// The run-time state that the links, the protocol and the dialogs share. The program has one,
// created at start-up and handed by reference to whatever needs it; tests build fresh ones.
// Fields start at the values the program has right after start-up.
struct AppState {
    static constexpr int hostCapacity = 256;
    static constexpr int connectionCapacity = 97; // entry 0 reserved, devices in 1 to 96
    static constexpr int broadcastAddress = 32;
    static constexpr int replyBufferSize = 600;
    static constexpr int glyphSampleSize = 580;
    static constexpr int glyphDigitCount = 576;

    // Application
    int running = 0;
    QPointer<QObject> activeDialog; // owner of the message boxes that name one
    QPointer<QObject> replyWindow;  // the dialog that is current for the device's replies
    int cornerClickCount = 0;
    int selectedArea = 0; // DisplayArea chosen in the channel lists; New keeps it
    int selectedPage = 0;
    int savedImeOpen = 0;

    // Link configuration, persisted in the settings file
    int interfaceKind = 0; // 0 serial (RS-232C/RS-485), 1 TCP/IP
    int tcpRole = 0;       // 0 client, 1 server
    int rs485Mode = 0;     // 0 RS-232C, 1 RS-485
    int comPortIndex = 0;  // COM1 to COM6
    FixedText<6> portNumberText{"09004"};
    std::array<std::array<std::uint8_t, 4>, hostCapacity> hostAddresses{};
    int hostCount = 0;
    int selectedConnection = 0; // client: host index; server: connection entry; -1 none
    int slaveAddress = 0;       // 0 to 31, or broadcastAddress

    // TCP link state
    std::array<Connection, connectionCapacity> connectionTable{};
    int tcpConnected = 0;

    // Exchange state
    int replyPending = 0;
    int replyWaitTicks = 0;
    int exchangeFailed = 0;
    int sequenceStep = 0; // non-zero while a multi-command transfer runs
    int glyphReadPending = 0;
    FixedText<replyBufferSize> tcpReplyBuffer;
    int tcpReplyPartial = 0;

    // Custom glyph being edited: 576 hexadecimal digits and four bytes that travel with them
    std::array<char, glyphSampleSize> glyphSample = filledGlyphSample();

    static constexpr std::array<char, glyphSampleSize> filledGlyphSample() {
        std::array<char, glyphSampleSize> sample{};
        sample.fill('0');
        return sample;
    }
};
