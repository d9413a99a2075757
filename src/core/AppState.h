#pragma once

#include "core/DialogTracking.h"
#include "core/FixedText.h"
#include "core/GlyphState.h"
#include "core/LinkConfiguration.h"

#include <QObject>
#include <array>

class QTcpSocket;

// One device connection of the server role. Entry 0 of the table is always marked in use so
// that index 0 can stand for "none".
struct Connection {
    int inUse = 0;
    QTcpSocket* socket = nullptr;
    FixedText<16> addressText;
};

// The run-time state that the links, the protocol and the dialogs share, in parts that each have
// one owner: the link settings (the settings file and the connection dialogs), the dialog
// tracking (the dialogs as they open), the TCP connections (the TCP link). The exchange state
// belongs to the command sender. The program has one, created at start-up and handed by
// reference, part by part, to whatever needs it; tests build fresh ones. Fields start at the
// values the program has right after start-up.
struct AppState {
    static constexpr int connectionCapacity = 97; // entry 0 reserved, devices in 1 to 96
    static constexpr int glyphSampleSize = 580;
    static constexpr int glyphDigitCount = 576;

    int running = 0;
    int selectedArea = 0; // DisplayArea chosen in the channel lists; New keeps it
    int selectedPage = 0;
    int savedImeOpen = 0;
    // The entries last chosen in "Same Display" and "Same Time"; kept for the run, not saved
    int sameDisplayChoice = 0;
    int sameTimeChoice = 2;

    LinkConfiguration link;
    DialogTracking dialogs;
    GlyphState glyphs; // written by the glyph dialogs

    // TCP link state
    std::array<Connection, connectionCapacity> connectionTable{};
    int tcpConnected = 0;

    // Custom glyph being edited: 576 hexadecimal digits and four bytes that travel with them
    std::array<char, glyphSampleSize> glyphSample = filledGlyphSample();

    static constexpr std::array<char, glyphSampleSize> filledGlyphSample() {
        std::array<char, glyphSampleSize> sample{};
        sample.fill('0');
        return sample;
    }
};
