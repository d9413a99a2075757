#pragma once

#include "core/OperatorPrompts.h"

#include <QList>
#include <QQueue>
#include <functional>

// The operator's stand-in: records every box, question and file dialog and answers from a
// script. An unscripted question is answered No and an unscripted file dialog cancelled, both
// counted in unexpected. A box may stay open a while, spinning a nested event loop as a real one.
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
    QStringList texts() const;                                    // of the boxes, in order
    void clear(); // what was recorded and scripted; not how boxes stay open

    QList<MessageBoxRequest> boxes;
    QList<Question> questions;
    QList<FileDialogRequest> fileDialogs;
    QQueue<bool> answers;
    QQueue<QString> paths;
    int unexpected = 0;

    // Runs while a box is open (a test may act here), then the box stays open openMilliseconds.
    std::function<void(const MessageBoxRequest&)> whileShown;
    int openMilliseconds = 0;
    int mostOpenAtOnce = 0;
    bool isOpen() const { return open_ > 0; }

private:
    int open_ = 0;
};
