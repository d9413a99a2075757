#pragma once

#include <QList>
#include <functional>

// A timed run as a list of steps: one step per tick of a repeating timer, each with the time it
// comes after the step before it (after the start, for the first). The title walk, the page
// tables' transfers, Send All, the read-back and the sending of changed titles are plans; the
// pacer (TransferPacer) carries them out.
struct PlanStep {
    int interval = 0; // milliseconds after the step before
    // What the step does when its tick comes: sends a line or nothing (a pause). False when it
    // refuses (a title that cannot be sent): the run ends there and nothing after it is sent.
    std::function<bool()> action;
};

struct TransferPlan {
    QList<PlanStep> steps;
    // The percentage shown after step s is s * 100 / percentageBase; the number of steps unless
    // a run shows it otherwise.
    int percentageBase = 0;

    // Appends count steps of the same interval, each doing action(i) for i = 0, 1, ...
    void append(int count, int interval, const std::function<bool(int)>& action);
    // Appends a step that sends nothing.
    void appendPause(int interval) { steps.append(PlanStep{interval, {}}); }
};
