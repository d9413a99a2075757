#include "ctl/MessageLog.h"

void MessageLog::showMessage(const MessageBoxRequest& box) {
    texts_.append(box.text);
    if (onMessage)
        onMessage();
}

bool MessageLog::askYesNo(QObject*, const QString&, const QString& text) {
    texts_.append(text);
    return false;
}

QString MessageLog::chooseFile(const FileDialogRequest&) {
    return {};
}
