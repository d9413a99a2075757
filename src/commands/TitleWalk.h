#pragma once

#include "commands/TitleCommands.h"
#include "commands/TransferPacer.h"

#include <QObject>

struct CommandContext;

// Sends all 256 titles, one per tick, in index order: ch.1 Top pages 1 to 64, ch.1 Bottom,
// ch.2 Top, ch.2 Bottom. A tick never waits for the device: an error reply stops the walk at the
// next tick, a missing reply does not. Each title is read from the document when its tick comes.
class TitleWalk : public QObject {
    Q_OBJECT
public:
    static constexpr int storedInterval = 600;
    static constexpr int notStoredInterval = 800;
    static constexpr int titleCount = 256;

    enum class Ending {
        Completed, // the 256th title went out
        Refused,   // a title could not be encoded; the operator has been told
        Failed,    // the device refused a line, or the link failed
    };

    explicit TitleWalk(CommandContext& context, QObject* parent = nullptr);

    // "全設定" and "NM全設定": false when the link is not ready (the operator is told) or a
    // transfer already runs. The first title goes out one interval after the start.
    bool start(TitleStorage storage);

    // One step of the walk, called by the timer; tests call it directly. A tick that comes while
    // an earlier one still runs (a message box holds it in a nested event loop) is ignored.
    void tick() { pacer_.tick(); }

    bool isRunning() const { return pacer_.isRunning(); }
    TitleStorage storage() const { return storage_; }
    QTimer& timer() { return pacer_.timer(); }

signals:
    // A title went out; percent is the walk's progress, 0 to 100.
    void titleSent(int percent);
    void ended(TitleWalk::Ending ending);

private:
    void step(int sequenceStep);
    void end(Ending ending);

    CommandContext& context_;
    TitleStorage storage_ = TitleStorage::Stored;
    TransferPacer pacer_;
};
