#pragma once

#include "commands/TransferRun.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
struct DialogContext;

// What the send-all and read-back dialogs share: a button that starts the run (TransferRun), the
// percentage and the progress bar, the "Slave Address" list and Close. While the run goes on
// Close has no effect and every dialog knows a transfer runs (sequenceStep is not 0). The run
// does not wait for replies: a failure reported by the reply handler (exchangeFailed) stops it
// at the next tick with the dialog open; the last step ends the dialog, and so does a title that
// cannot be sent, with its message.
class TransferDialog : public QDialog {
    Q_OBJECT
public:
    // One tick of the run's timer; tests call it directly.
    void tick() { run_.tick(); }

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
    TransferDialog(DialogContext& context, TransferKind kind, QWidget* parent);

    // Called once the form is set up: the common set-up with the caption that names the
    // connection, and the start button.
    void setUp(const Controls& controls, const QString& connectionCaption);

private:
    void start();
    void showStep(int sequenceStep);
    void finish(TransferRun::Ending ending);

    DialogContext& context_;
    Controls controls_{};
    TransferRun run_;
};
