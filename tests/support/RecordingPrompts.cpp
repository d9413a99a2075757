#include "support/RecordingPrompts.h"

#include <QEventLoop>
#include <QTimer>

void RecordingPrompts::showMessage(const MessageBoxRequest& box) {
    boxes.append(box);
    mostOpenAtOnce = std::max(mostOpenAtOnce, ++open_);
    if (whileShown)
        whileShown(box);
    if (openMilliseconds > 0) {
        QEventLoop loop;
        QTimer::singleShot(openMilliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }
    --open_;
}

bool RecordingPrompts::askYesNo(QObject* owner, const QString& caption, const QString& text) {
    questions.append({owner, caption, text});
    unexpected += answers.isEmpty();
    return !answers.isEmpty() && answers.dequeue();
}

QString RecordingPrompts::chooseFile(const FileDialogRequest& dialog) {
    fileDialogs.append(dialog);
    unexpected += paths.isEmpty();
    return paths.isEmpty() ? QString() : paths.dequeue();
}

QStringList RecordingPrompts::texts() const {
    QStringList result;
    for (const auto& box : boxes)
        result.append(box.text);
    return result;
}

void RecordingPrompts::clear() {
    boxes.clear();
    questions.clear();
    fileDialogs.clear();
    answers.clear();
    paths.clear();
    unexpected = mostOpenAtOnce = 0;
}
