#pragma once

#include "core/OperatorPrompts.h"

// The operator's real message boxes, questions and file dialogs.
class QtOperatorPrompts : public OperatorPrompts {
public:
    void showMessage(const MessageBoxRequest& box) override;
    bool askYesNo(QObject* owner, const QString& caption, const QString& text) override;
    QString chooseFile(const FileDialogRequest& dialog) override;
};
