#pragma once

#include "sim/DeviceModel.h"
#include "sim/monitor/TitleCell.h"

#include <array>

namespace sim {

class AutoSwitching;

// What the device keys in one display area now: the page up, whether its title is shown, and
// the fourteen cells of that title with the placement and levels it is drawn with.
struct AreaPicture {
    bool automatic = false; // the area is in AUTO
    int page = -1;          // page 0 to 63 up now; -1: none (AUTO with no page in its round)
    bool shown = false;     // a page is up and its title display is on
    int position = 7;       // display position 0 to 15
    int whiteLevel = 1;     // 0 to 3: the characters' brightness
    int edgeLevel = 1;      // 0 to 3: their outline
    std::array<TitleCell, DeviceModel::titleLength> cells; // all blank unless shown

    bool operator==(const AreaPicture&) const = default;

    // The fourteen cells as text, each glyph as "[nn]" with its registration number.
    QString text() const;
    // One line for the operator: page or AUTO, on or off, position.
    QString status() const;
};

// The picture of `area` from the device's settings and its automatic switching.
AreaPicture pictureOf(const DeviceModel& model, const AutoSwitching& switching, int area);

} // namespace sim
