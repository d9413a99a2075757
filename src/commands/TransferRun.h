#pragma once

#include "commands/TransferPacer.h"

#include <QObject>

struct CommandContext;

// The two runs that walk the whole document: Send All pushes it to the device, the read-back
// reads the device's settings into it. Each step's line, the pace and the bookkeeping live here
// alone; the dialogs show the progress, and the command-line tool runs one per device.
enum class TransferKind { SendAll, ReadBack };

class TransferRun : public QObject {
    Q_OBJECT
public:
    enum class Ending {
        Completed, // the last step was carried out
        Refused,   // Send All: a title could not be encoded; nothing after it was sent
        Failed,    // the device refused a line or the link failed; the run stopped at a tick
    };

    // Send All: the 256 titles every 600 ms, then every 1200 ms the switching times and on
    // flags of each area, both character levels, and each area's start-up page, position and
    // current page: 280 steps, two of them pauses. Read-back: 285 steps of 400 ms, seven of
    // them idle.
    static constexpr int sendAllStepCount = 280;
    static constexpr int sendAllTitleInterval = 600;
    static constexpr int sendAllSettingInterval = 1200;
    static constexpr int readBackInterval = 400;

    TransferRun(CommandContext& context, TransferKind kind, QObject* parent = nullptr);

    // Starts at step 1, one interval from now. False with "Socket が接続されていません" when the
    // link is not ready, and false without a word while any transfer runs.
    bool start();
    // One tick of the run's timer (object name "runTimer"); tests call it directly.
    void tick() { pacer_.tick(); }
    bool isRunning() const { return pacer_.isRunning(); }

    TransferKind kind() const { return kind_; }
    int stepCount() const;
    // The percentage shown after step s is s * 100 / percentageBase().
    int percentageBase() const;

signals:
    // Step sequenceStep (1 to stepCount) has been carried out or found nothing to send.
    void stepped(int sequenceStep);
    void ended(TransferRun::Ending ending);

private:
    void step(int sequenceStep);
    bool sendAllStep(int sequenceStep);

    CommandContext& context_;
    TransferKind kind_;
    TransferPacer pacer_;
};
