#include "support/RecordingPrompts.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

void RecordingPrompts::showMessage(const MessageBoxRequest& box) {
    boxes.append(box);
    if (boxOpenMs <= 0)
        return;
    mostBoxesOpenAtOnce = std::max(mostBoxesOpenAtOnce, ++boxesOpen);
    QEventLoop loop;
    if (whileBoxOpen)
        QTimer::singleShot(0, &loop, whileBoxOpen);
    QTimer::singleShot(boxOpenMs, &loop, &QEventLoop::quit);
    loop.exec();
    --boxesOpen;
}

bool RecordingPrompts::askYesNo(QObject* owner, const QString& caption, const QString& text) {
    questions.append({owner, caption, text});
    if (answers.isEmpty()) {
        ++unexpected;
        return false;
    }
    return answers.dequeue();
}

QString RecordingPrompts::chooseFile(const FileDialogRequest& dialog) {
    fileDialogs.append(dialog);
    if (paths.isEmpty()) {
        ++unexpected;
        return {};
    }
    return paths.dequeue();
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
    unexpected = 0;
    mostBoxesOpenAtOnce = 0;
}
