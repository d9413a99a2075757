#pragma once

#include "core/OperatorPrompts.h"

#include <QList>
#include <QQueue>
#include <functional>

// The test stand-in for the operator: records every box, question and file dialog, and answers
// questions and file dialogs from a script. An unscripted question is answered No and an
// unscripted file dialog is cancelled; both are counted in unexpected so that tests notice.
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

    // Boxes stay open this long, the event loop running meanwhile, as a real box's does;
    // whileOpen runs from that loop as each box opens.
    void keepBoxesOpen(int milliseconds, std::function<void()> whileOpen = {}) {
        boxOpenMs = milliseconds;
        whileBoxOpen = std::move(whileOpen);
    }

    void answerNext(bool yes) { answers.enqueue(yes); }
    void chooseNext(const QString& path) { paths.enqueue(path); } // "" cancels

    // The texts of the recorded boxes, in order.
    QStringList texts() const;
    void clear();

    QList<MessageBoxRequest> boxes;
    QList<Question> questions;
    QList<FileDialogRequest> fileDialogs;
    QQueue<bool> answers;
    QQueue<QString> paths;
    int unexpected = 0;
    int mostBoxesOpenAtOnce = 0;

private:
    int boxOpenMs = 0;
    std::function<void()> whileBoxOpen;
    int boxesOpen = 0;
};
