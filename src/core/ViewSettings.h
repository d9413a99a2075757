#pragma once

#include <QRect>
#include <optional>

// How the program shows what happens, kept in the settings file beside the link settings: read
// at start-up, each change written back at once. The command-line tool reads none of it.
struct ViewSettings {
    // A line the device accepts opens its box ("Success", "Socket ＯＫ"), as it always has;
    // off, the status bar says it instead.
    bool successBoxes = true;
    // Where the traffic window was when it was last closed: its place on the screen and its
    // size. Nothing until it has been closed once.
    std::optional<QRect> trafficWindowPlace;
};
