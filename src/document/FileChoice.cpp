#include "document/FileChoice.h"

#include "document/FileExtension.h"
#include "protocol/MessageBoxes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString chooseDataFile(OperatorPrompts& prompts, QObject* owner, FileDialogMode mode,
                       const QString& pattern, const QString& currentPath) {
    FileDialogRequest dialog;
    // A documents folder that does not exist would open the dialog one level up, with its name
    // filled in as the file to open.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    dialog.directory = !currentPath.isEmpty()         ? QFileInfo(currentPath).absolutePath()
                       : QFileInfo(documents).isDir() ? documents
                                                      : QDir::homePath();
    dialog.owner = owner;
    dialog.mode = mode;
    dialog.title = mode == FileDialogMode::Open ? QStringLiteral("ファイルのオープン")
                                                : QStringLiteral("ファイルの保存");
    dialog.filters = {QStringLiteral("データ(%1)").arg(pattern), QStringLiteral("すべて(*.*)")};
    return prompts.chooseFile(dialog);
}

std::optional<QString> saveAsPath(const QString& chosen, const QString& extension,
                                  MessageBoxes& boxes) {
    if (containsExtension(chosen, extension))
        return chosen;
    const QString completed = chosen + extension;
    if (QFileInfo::exists(completed) &&
        !boxes.ask(QStringLiteral("%1 は既に存在します。\n上書きしますか？")
                       .arg(QDir::toNativeSeparators(completed))))
        return std::nullopt;
    return completed;
}

QString openChosenFile(QFile& file) {
    if (!QFileInfo(file.fileName()).isFile())
        return QStringLiteral("通常のファイルではありません。");
    return file.open(QIODevice::ReadOnly) ? QString() : file.errorString();
}

QString fileFailureDetail(const QString& path, const QString& reason) {
    return QDir::toNativeSeparators(path) + QLatin1Char('\n') + reason;
}
