#pragma once

#include <QDialog>

class QAbstractButton;

// The common ending of the connection dialogs: OK, Close, Esc and the close box all end the
// dialog with result 2. Every choice has been stored already, so there is nothing to undo.
class ConnectionDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int closedResult = 2;

    using QDialog::QDialog;

    void reject() override { done(closedResult); }

protected:
    // The button ends the dialog.
    void closeOn(QAbstractButton& button);
};
