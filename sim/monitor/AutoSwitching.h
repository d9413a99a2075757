#pragma once

#include "sim/DeviceModel.h"

#include <QObject>
#include <QTimer>
#include <array>

namespace sim {

// The device's automatic page switching: an area set to AUTO shows, one after the other, the
// pages whose title display is on, each for its switching time, and starts again from the
// first. A page with a time of 0 takes no part in the round; with no page left the area shows
// nothing until one comes back. The round follows the settings as they change: a page that
// is switched off or set to 0 while it is up gives way at once, and leaving AUTO ends the round.
//
// A repeating timer started once calls tick(); tests call tick() themselves.
class AutoSwitching : public QObject {
    Q_OBJECT
public:
    static constexpr int tickMs = 100;

    explicit AutoSwitching(const DeviceModel& model, QObject* parent = nullptr);

    // Starts the repeating timer.
    void start();
    // One timer interval passes.
    void tick();
    // Follows changed settings at once, without time passing.
    void settle();

    // The page (0 to 63) an area in AUTO shows now; -1 when it is not in AUTO or no page
    // takes part in its round.
    int currentPage(int area) const { return currentPages_[area]; }

signals:
    void pageChanged(int area);

private:
    void advance(int area, int milliseconds);
    bool takesPart(int area, int page) const;
    // The first page after `page` (wrapping round; -1 starts at page 1) that takes part, or -1.
    int nextPage(int area, int page) const;
    void show(int area, int page);

    const DeviceModel& model_;
    QTimer timer_;
    std::array<int, DeviceModel::areaCount> currentPages_;
    std::array<int, DeviceModel::areaCount> shownForMs_;
};

} // namespace sim
