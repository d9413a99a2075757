#pragma once

#include <QObject>
#include <QPointer>

// Which window the operator is working in: the dialogs set it as they open, the message boxes
// and the main window's maintenance gesture read it.
struct DialogTracking {
    QPointer<QObject> activeDialog; // owner of the message boxes while it is open
    QPointer<QObject> mainWindow;   // owner of the message boxes while no dialog is open
    QPointer<QObject> replyWindow;  // the dialog that is current for the device's replies
    int cornerClickCount = 0;
};
