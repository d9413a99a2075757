#pragma once

#include "settings/TransferPacer.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
struct DialogContext;

// What the send-all and read-back dialogs share: a button that starts a run of one line per
// tick, the percentage and the progress bar, the "Slave Address" list and Close. While the run
// goes on Close has no effect and every dialog knows a transfer runs (sequenceStep is not 0).
// The run does not wait for replies: a failure reported by the reply handler (exchangeFailed)
// stops it at the next tick with the dialog open; the last step ends the dialog.
class TransferDialog : public QDialog {
    Q_OBJECT
public:
    // One tick of the run's timer; tests call it directly.
    void tick() { pacer_.tick(); }

    // Close, the close box and Esc end the dialog with result 2, but not while the run goes on.
    void reject() override;

protected:
    struct Controls {
        QPushButton* start;
        QLineEdit* percentage;
        QProgressBar* progress;
        QComboBox* slaveAddressList;
        QPushButton* close;
    };
    struct Run {
        int stepCount;       // steps 1 to stepCount, one per tick
        int percentageBase;  // the percentage shown after step s is s * 100 / percentageBase
        int interval;        // milliseconds between ticks
        QString failureText; // shown when a step cannot be carried out
    };

    TransferDialog(DialogContext& context, const Run& run, QWidget* parent);

    // Called once the form is set up: the common set-up with the caption that names the
    // connection, and the start button.
    void setUp(const Controls& controls, const QString& connectionCaption);

    // The work of step 1 to stepCount; false when the step cannot be carried out, which ends
    // the run and the dialog with failureText.
    virtual bool runStep(int step) = 0;

    DialogContext& context() { return context_; }
    TransferPacer& pacer() { return pacer_; }

private:
    void start();
    void step(int sequenceStep);
    void finish();

    DialogContext& context_;
    Run run_;
    Controls controls_{};
    TransferPacer pacer_;
};
