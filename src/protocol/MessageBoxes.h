#pragma once

#include "core/OperatorPrompts.h"
#include "protocol/LinkChannels.h"

struct DialogTracking;

// The message boxes that every part of the program shows, each with its fixed caption, icon and
// beep. Every box and question stands over the window the operator is working in: the dialog
// that is open, else the main window. A detail, where given, says why beside the known text.
class MessageBoxes {
public:
    MessageBoxes(OperatorPrompts& prompts, const DialogTracking& dialogs);

    // Caption "Error", exclamation.
    void showError(const QString& text, const QString& detail = {});
    // Caption "Error", stop icon.
    void showStopError(const QString& text, const QString& detail = {});
    // Caption "Success", no icon.
    void showSuccess(const QString& text);
    // The serial link's "GO" box: caption "設定完了", text "Success", the simple beep.
    void showSettingDone();
    // A failure a link reports: a step of opening the serial port as showError; a step of the
    // TCP link with caption "ZEV-530TQ" and stop icon; a socket event as showStopError.
    void showLinkFailure(LineChannel::Failure failure, const QString& text,
                         const QString& detail = {});
    // A Yes/No question with caption "ZEV-530TQ".
    bool ask(const QString& text);

    // The window that boxes and file dialogs stand over now.
    QObject* owner() const;

    OperatorPrompts& prompts() { return prompts_; }

private:
    void show(const QString& caption, const QString& text, BoxIcon icon, BoxBeep beep,
              const QString& detail = {});

    OperatorPrompts& prompts_;
    const DialogTracking& dialogs_;
};

// Shows every failure the link reports, in the order reported.
void showFailuresOf(LineChannel& link, MessageBoxes& boxes);
