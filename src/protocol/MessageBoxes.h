#pragma once

#include "core/OperatorPrompts.h"
#include "protocol/LinkChannels.h"

struct DialogTracking;

// The message boxes that every part of the program shows, each with its fixed caption, icon,
// owner and beep.
class MessageBoxes {
public:
    MessageBoxes(OperatorPrompts& prompts, const DialogTracking& dialogs);

    // Caption "Error", exclamation, no owner.
    void showError(const QString& text);
    // Caption "Error", stop icon, no owner.
    void showStopError(const QString& text);
    // Caption "Success", no icon, no owner.
    void showSuccess(const QString& text);
    // Caption "Success", owned by the active dialog.
    void showDialogSuccess(const QString& text);
    // Caption "Error", stop icon, owned by the active dialog.
    void showDialogError(const QString& text);
    // The serial link's "GO" box: caption "設定完了", text "Success", the simple beep.
    void showSettingDone();
    // A failure a link reports: a step of opening the serial port as showError; a step of the
    // TCP link with caption "ZEV-530TQ", stop icon and no owner; a socket event as
    // showDialogError.
    void showLinkFailure(LineChannel::Failure failure, const QString& text);
    // A Yes/No question with caption "ZEV-530TQ" and no owner.
    bool ask(const QString& text);

    OperatorPrompts& prompts() { return prompts_; }

private:
    void show(QObject* owner, const QString& caption, const QString& text, BoxIcon icon,
              BoxBeep beep);

    OperatorPrompts& prompts_;
    const DialogTracking& dialogs_;
};

// Shows every failure the link reports, in the order reported.
void showFailuresOf(LineChannel& link, MessageBoxes& boxes);
