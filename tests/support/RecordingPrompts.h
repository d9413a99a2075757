#pragma once

#include "core/OperatorPrompts.h"

#include <QList>
#include <QQueue>
#include <functional>

// The test stand-in for the operator: records every box, question and file dialog, and answers
// questions and file dialogs from a script. An unscripted question is answered No and an
// unscripted file dialog is cancelled; both are counted in unexpected so that tests notice.
// A box may be kept open for a while, running a nested event loop as a real one does.
class RecordingPrompts : public OperatorPrompts {
public:
    struct Question {
        QObject* owner;
        QString caption;
        QString text;
    };

    void showMessage(const MessageBoxRequest& box) override;
    bool askYesNo(QObject* owner, const QString& caption, const QString& text) override;
    QString chooseFile(const FileDialogRequest& dialog) override;

    void answerNext(bool yes) { answers.enqueue(yes); }
    void chooseNext(const QString& path) { paths.enqueue(path); } // "" cancels

    // The texts of the recorded boxes, in order.
    QStringList texts() const;
    // Forgets what was recorded and scripted; how boxes stay open is kept.
    void clear();

    QList<MessageBoxRequest> boxes;
    QList<Question> questions;
    QList<FileDialogRequest> fileDialogs;
    QQueue<bool> answers;
    QQueue<QString> paths;
    int unexpected = 0;

    // Runs while a box is open, after it is recorded: a test can spin a nested event loop here,
    // as a real box does while the operator reads it, or act while the box is open.
    std::function<void(const MessageBoxRequest&)> whileShown;
    // Each box stays open this long after whileShown, spinning the event loop (0: it closes at
    // once).
    int openMilliseconds = 0;
    // The most boxes that were open at one time.
    int mostOpenAtOnce = 0;
    bool isOpen() const { return open_ > 0; }

private:
    int open_ = 0;
};
