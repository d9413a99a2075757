#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

struct CommandContext;

// The pace and the bookkeeping of a timed transfer: one repeating precise timer, started once
// for the run, whose ticks each carry out one step; the sender's sequenceStep is not 0 while the
// run goes on, so that no other transfer starts. A repeating timer keeps its period over
// minutes, where a timer started again at every tick would fall behind by the time each tick
// takes. Ticks do not wait for replies: a tick that finds exchangeFailed raised ends the run.
//
// A box shown during a step runs a nested event loop in which the timer keeps firing; a tick
// that comes while an earlier one is still running is dropped, so steps never overlap.
class TransferPacer : public QObject {
    Q_OBJECT
public:
    // step does the work of a tick for the current sequenceStep; timerName is the timer's
    // object name.
    TransferPacer(CommandContext& context, const QString& timerName,
                  std::function<void(int sequenceStep)> step, QObject* parent = nullptr);
    // A run never outlives its owner: the other dialogs and File > New must not stay locked.
    ~TransferPacer() override;

    // Starts a run at sequenceStep 1, the first step one interval from now. False with
    // "Socket が接続されていません" when the link is not ready, and false without a word while
    // any transfer runs.
    bool begin(int milliseconds);
    // Back to idle: the timer stopped, a reported failure cleared, sequenceStep 0.
    void end();
    // Starts the period again now with the new interval.
    void setInterval(int milliseconds) { timer_.setInterval(milliseconds); }

    bool isRunning() const { return timer_.isActive(); }
    QTimer& timer() { return timer_; }

    // One tick, as the timer gives it; tests call it directly. Nothing happens outside a run.
    void tick();

signals:
    // A tick found exchangeFailed raised and ended the run.
    void failed();

private:
    CommandContext& context_;
    std::function<void(int)> step_;
    QTimer timer_;
    bool ticking_ = false;
};
