#pragma once

#include "commands/TransferPacer.h"

#include <QObject>

class QProgressBar;
class QWidget;
struct CommandContext;
struct DialogContext;

// The "全設定" transfer of a page setting dialog: one line per display area, ch.1 Top to ch.2
// Bottom, one each tick of a repeating timer, without waiting for the replies. A tick that
// finds the exchange failed (an error reply, a failed send) ends it early. While it runs,
// sequenceStep is the number of the next area plus 1, the progress bar counts the areas sent
// and the dialog's Close is disabled.
class AreaTransfer : public QObject {
    Q_OBJECT
public:
    using SendArea = void (*)(CommandContext& context, int area);

    static constexpr int areaSteps = 4;

    AreaTransfer(DialogContext& context, SendArea send, int intervalMs, QProgressBar& progress,
                 QWidget& closeButton, QObject* parent = nullptr);

    // Refuses with "Socket が接続されていません" on an unconnected TCP link; does nothing while
    // any transfer runs.
    void start();

    // One step. A tick that comes while an earlier one is still inside a message box (which
    // runs the event loop) is ignored.
    void tick() { pacer_.tick(); }

    bool isRunning() const { return pacer_.isRunning(); }

private:
    void step(int sequenceStep);
    void finish();

    DialogContext& context_;
    SendArea send_;
    QProgressBar& progress_;
    QWidget& closeButton_;
    TransferPacer pacer_;
};
