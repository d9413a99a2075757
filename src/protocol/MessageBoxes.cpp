#include "protocol/MessageBoxes.h"

#include "core/DialogTracking.h"

namespace {
const QString errorCaption = QStringLiteral("Error");
const QString successCaption = QStringLiteral("Success");
const QString programCaption = QStringLiteral("ZEV-530TQ");
} // namespace

MessageBoxes::MessageBoxes(OperatorPrompts& prompts, const DialogTracking& dialogs)
    : prompts_(prompts), dialogs_(dialogs) {}

void MessageBoxes::show(QObject* owner, const QString& caption, const QString& text, BoxIcon icon,
                        BoxBeep beep) {
    prompts_.showMessage(MessageBoxRequest{owner, caption, text, icon, beep});
}

void MessageBoxes::showError(const QString& text) {
    show(nullptr, errorCaption, text, BoxIcon::Exclamation, BoxBeep::Question);
}

void MessageBoxes::showStopError(const QString& text) {
    show(nullptr, errorCaption, text, BoxIcon::Stop, BoxBeep::Question);
}

void MessageBoxes::showSuccess(const QString& text) {
    show(nullptr, successCaption, text, BoxIcon::None, BoxBeep::Question);
}

void MessageBoxes::showDialogSuccess(const QString& text) {
    show(dialogs_.activeDialog, successCaption, text, BoxIcon::None, BoxBeep::Question);
}

void MessageBoxes::showDialogError(const QString& text) {
    show(dialogs_.activeDialog, errorCaption, text, BoxIcon::Stop, BoxBeep::Question);
}

void MessageBoxes::showSettingDone() {
    show(dialogs_.activeDialog, QStringLiteral("設定完了"), QStringLiteral("Success"),
         BoxIcon::None, BoxBeep::Simple);
}

void MessageBoxes::showLinkFailure(LineChannel::Failure failure, const QString& text) {
    switch (failure) {
    case LineChannel::Failure::PortSetup:
        showError(text);
        break;
    case LineChannel::Failure::Network:
        show(nullptr, programCaption, text, BoxIcon::Stop, BoxBeep::None);
        break;
    case LineChannel::Failure::SocketEvent:
        showDialogError(text);
        break;
    }
}

bool MessageBoxes::ask(const QString& text) {
    return prompts_.askYesNo(nullptr, programCaption, text);
}

void showFailuresOf(LineChannel& link, MessageBoxes& boxes) {
    QObject::connect(&link, &LineChannel::errorOccurred, &link,
                     [&boxes](LineChannel::Failure failure, const QString& text) {
                         boxes.showLinkFailure(failure, text);
                     });
}
