#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// The pace of a multi-command transfer: one repeating precise timer, started once for the run,
// whose ticks run the transfer's step. A repeating timer keeps its period over minutes, where a
// timer started again at every tick would fall behind by the time each tick takes.
//
// A box shown during a step runs a nested event loop in which the timer keeps firing; a tick
// that comes while an earlier one is still running is dropped, so steps never overlap.
class TransferPacer : public QObject {
    Q_OBJECT
public:
    explicit TransferPacer(std::function<void()> step, QObject* parent = nullptr);

    // Starts the timer, or starts its period again now with the new interval.
    void start(int milliseconds);
    void stop();
    bool isRunning() const { return timer_.isActive(); }

    // One tick, as the timer gives it; tests call it directly.
    void tick();

private:
    QTimer timer_;
    std::function<void()> step_;
    bool ticking_ = false;
};
