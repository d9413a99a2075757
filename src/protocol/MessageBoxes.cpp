#include "protocol/MessageBoxes.h"

#include "core/DialogTracking.h"

namespace {
const QString errorCaption = QStringLiteral("Error");
const QString successCaption = QStringLiteral("Success");
const QString programCaption = QStringLiteral("ZEV-530TQ");
} // namespace

MessageBoxes::MessageBoxes(OperatorPrompts& prompts, const DialogTracking& dialogs)
    : prompts_(prompts), dialogs_(dialogs) {}

// A dialog is destroyed when it closes, so a box raised after that (a late connect, a reply)
// stands over the main window instead of somewhere in the middle of the screen.
QObject* MessageBoxes::owner() const {
    return dialogs_.activeDialog ? dialogs_.activeDialog.data() : dialogs_.mainWindow.data();
}

void MessageBoxes::show(const QString& caption, const QString& text, BoxIcon icon, BoxBeep beep,
                        const QString& detail) {
    prompts_.showMessage(MessageBoxRequest{owner(), caption, text, icon, beep, detail});
}

void MessageBoxes::showError(const QString& text, const QString& detail) {
    show(errorCaption, text, BoxIcon::Exclamation, BoxBeep::Question, detail);
}

void MessageBoxes::showStopError(const QString& text, const QString& detail) {
    show(errorCaption, text, BoxIcon::Stop, BoxBeep::Question, detail);
}

void MessageBoxes::showSuccess(const QString& text) {
    show(successCaption, text, BoxIcon::None, BoxBeep::Question);
}

void MessageBoxes::showSettingDone() {
    show(QStringLiteral("設定完了"), QStringLiteral("Success"), BoxIcon::None, BoxBeep::Simple);
}

void MessageBoxes::showLinkFailure(LineChannel::Failure failure, const QString& text,
                                   const QString& detail) {
    switch (failure) {
    case LineChannel::Failure::PortSetup:
        showError(text, detail);
        break;
    case LineChannel::Failure::Network:
        show(programCaption, text, BoxIcon::Stop, BoxBeep::None, detail);
        break;
    case LineChannel::Failure::SocketEvent:
        showStopError(text, detail);
        break;
    }
}

bool MessageBoxes::ask(const QString& text) {
    return prompts_.askYesNo(owner(), programCaption, text);
}

void showFailuresOf(LineChannel& link, MessageBoxes& boxes) {
    QObject::connect(
        &link, &LineChannel::errorOccurred, &link,
        [&boxes](LineChannel::Failure failure, const QString& text, const QString& detail) {
            boxes.showLinkFailure(failure, text, detail);
        });
}
