#pragma once

#include "commands/TransferPlan.h"

#include <QObject>
#include <QSet>
#include <QTimer>

struct CommandContext;

// Carries out a plan: one repeating precise timer, started once for the run, whose ticks each
// carry out the next step. A repeating timer keeps its period over minutes, where a timer
// started again at every tick would fall behind by the time each tick takes. The pacer owns the
// step counter, the percentage and the lock that says a run is going (no other run starts, New
// and Open are refused, "GO" shows no box). Ticks do not wait for replies: the tick after one of
// the run's lines failed (Exchange::isFailure) ends it.
//
// A box shown during a step runs a nested event loop in which the timer keeps firing; a tick
// that comes while an earlier one is still running is dropped, so steps never overlap.
class TransferPacer : public QObject {
    Q_OBJECT
public:
    enum class Ending {
        Completed, // the last step was carried out
        Refused,   // a step refused (a title that cannot be sent); nothing after it was sent
        Failed,    // the device refused a line or the link failed; the run stopped at a tick
    };
    Q_ENUM(Ending)

    // timerName is the object name of its timer.
    TransferPacer(CommandContext& context, const QString& timerName, QObject* parent = nullptr);
    // A run never outlives its owner: the other dialogs and File > New must not stay locked.
    ~TransferPacer() override;

    // Starts the plan, its first step one interval from now. False with "Socket が接続されて
    // いません" when the link is not ready, and false without a word while any run goes on.
    bool start(TransferPlan plan);

    // One tick, as the timer gives it; tests call it directly. Nothing happens outside a run.
    void tick();

    bool isRunning() const { return timer_.isActive(); }
    // The steps carried out so far, of stepCount().
    int step() const { return step_; }
    int stepCount() const { return int(plan_.steps.size()); }
    // The percentage after the steps carried out so far.
    int percentage() const;
    QTimer& timer() { return timer_; }

signals:
    // Step `step` (1 to stepCount) has been carried out.
    void stepped(int step, int stepCount);
    void ended(TransferPacer::Ending ending);

private:
    void end(Ending ending);
    // Back to idle: the timer stopped, the lock given back.
    void release();

    CommandContext& context_;
    TransferPlan plan_;
    int step_ = 0;
    QTimer timer_;
    bool ticking_ = false;
    QSet<quint64> linesOfTheRun_; // sent by its steps and not yet ended
    bool failed_ = false;         // one of them failed: the next tick ends the run
};
