#include "ctl/MessageLog.h"

void MessageLog::showMessage(const MessageBoxRequest& box) {
    // The reason beside the known text, where the program gives one (a port that cannot open).
    texts_.append(box.detail.isEmpty() ? box.text : box.text + QStringLiteral(": ") + box.detail);
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
