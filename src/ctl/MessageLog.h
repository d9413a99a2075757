#pragma once

#include "core/OperatorPrompts.h"

#include <QStringList>
#include <functional>

// zevctl's stand-in for the operator: the texts that the program would show in its boxes become
// lines of the command's report. Nobody is there to answer, so a question gets No and a file
// dialog is cancelled.
class MessageLog : public OperatorPrompts {
public:
    void showMessage(const MessageBoxRequest& box) override;
    bool askYesNo(QObject* owner, const QString& caption, const QString& text) override;
    QString chooseFile(const FileDialogRequest& dialog) override;

    const QStringList& texts() const { return texts_; }
    void clear() { texts_.clear(); }

    // Runs after each message is recorded, so that a wait can end on it.
    std::function<void()> onMessage;

private:
    QStringList texts_;
};
