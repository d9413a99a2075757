#pragma once

#include "commands/TransferPacer.h"
#include "commands/TransferPlan.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
struct CommandContext;
struct DialogContext;

// What the send-all and read-back dialogs share: a button that starts the run (a plan of
// TransferPlans), the percentage and the progress bar, the "Slave Address" list and Close. While
// the run goes on Close has no effect and every dialog knows a run goes on. The run does not
// wait for replies: a failure stops it at the next tick with the dialog open; the last step
// ends the dialog, and so does a title that cannot be sent, with its message.
class TransferDialog : public QDialog {
    Q_OBJECT
public:
    // One tick of the run's timer; tests call it directly.
    void tick() { run_.tick(); }
    TransferPacer& pacer() { return run_; }

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
    using PlanOf = TransferPlan (*)(CommandContext& context);
    TransferDialog(DialogContext& context, PlanOf plan, QWidget* parent);

    // Called once the form is set up: the common set-up with the caption that names the
    // connection, and the start button.
    void setUp(const Controls& controls, const QString& connectionCaption);

private:
    void start();
    void showStep();
    void finish(TransferPacer::Ending ending);

    DialogContext& context_;
    Controls controls_{};
    PlanOf plan_;
    TransferPacer run_;
};
