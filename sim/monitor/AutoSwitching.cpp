#include "sim/monitor/AutoSwitching.h"

namespace sim {

AutoSwitching::AutoSwitching(const DeviceModel& model, QObject* parent)
    : QObject(parent), model_(model) {
    currentPages_.fill(-1);
    shownForMs_.fill(0);
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(tickMs);
    connect(&timer_, &QTimer::timeout, this, &AutoSwitching::tick);
}

void AutoSwitching::start() {
    timer_.start();
}

void AutoSwitching::tick() {
    for (int area = 0; area < DeviceModel::areaCount; ++area)
        advance(area, tickMs);
}

void AutoSwitching::settle() {
    for (int area = 0; area < DeviceModel::areaCount; ++area)
        advance(area, 0);
}

void AutoSwitching::advance(int area, int milliseconds) {
    const int current = currentPages_[area];
    if (model_.displayPage(area) != DeviceModel::autoPage) {
        show(area, -1);
        return;
    }
    if (current < 0 || !takesPart(area, current)) {
        // Entering AUTO, waiting for a page, or the page up has left the round.
        show(area, nextPage(area, current));
        return;
    }
    shownForMs_[area] += milliseconds;
    if (shownForMs_[area] >= model_.switchTime(area, current) * 1000) {
        shownForMs_[area] = 0;
        show(area, nextPage(area, current));
    }
}

bool AutoSwitching::takesPart(int area, int page) const {
    return model_.titleShown(area, page) && model_.switchTime(area, page) > 0;
}

int AutoSwitching::nextPage(int area, int page) const {
    for (int step = 1; step <= DeviceModel::pageCount; ++step) {
        const int candidate = (page + step + DeviceModel::pageCount) % DeviceModel::pageCount;
        if (takesPart(area, candidate))
            return candidate;
    }
    return -1;
}

void AutoSwitching::show(int area, int page) {
    if (currentPages_[area] == page)
        return;
    currentPages_[area] = page;
    shownForMs_[area] = 0;
    emit pageChanged(area);
}

} // namespace sim
