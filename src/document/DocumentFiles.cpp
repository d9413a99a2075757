#include "document/DocumentFiles.h"

#include "core/AppState.h"
#include "core/FileReplacement.h"
#include "core/SettingsDocument.h"
#include "document/DatFile.h"
#include "document/DocumentReset.h"
#include "document/DocumentWindow.h"
#include "document/FileChoice.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"

#include <QDir>
#include <QFile>
#include <optional>

namespace {

const QString datExtension = QStringLiteral(".dat");
const QString datPattern = QStringLiteral("*.dat");
const QString cannotOpen = QStringLiteral("Can't file open");
const QString pathTooLong = QStringLiteral("パスが長すぎます。");

const char* const areaNames[SettingsDocument::areaCount] = {"ch.1 Top", "ch.1 Bottom", "ch.2 Top",
                                                            "ch.2 Bottom"};

// The path as documentPath keeps it, or nothing when it does not fit.
std::optional<QByteArray> documentPathBytes(const QString& path) {
    QByteArray bytes = QDir::toNativeSeparators(path).toUtf8();
    if (bytes.size() > SettingsDocument::pathCapacity)
        return std::nullopt;
    return bytes;
}

QString unstorableTitleText(const SettingsDocument& document, int index) {
    const QString page = QStringLiteral("%1 ページ%2")
                             .arg(QLatin1String(areaNames[index / SettingsDocument::pageCount]))
                             .arg(index % SettingsDocument::pageCount + 1);
    if (document.titleTexts[index] == "s")
        return QStringLiteral("%1 のタイトル「s」はファイルに保存できません。").arg(page);
    return QStringLiteral("%1 のタイトルに半角スペースか制御文字があるため保存できません。")
        .arg(page);
}

} // namespace

DocumentFiles::DocumentFiles(SettingsDocument& document, AppState& state, CommandSender& sender,
                             MessageBoxes& boxes, DocumentWindow& window)
    : document_(document), state_(state), sender_(sender), boxes_(boxes), window_(window) {}

void DocumentFiles::newDocument() {
    if (sender_.isRunGoing())
        return;
    if (document_.documentModified &&
        !boxes_.ask(QStringLiteral("データを保存せずに新規作成しますか？")))
        return;
    resetDocument(document_, state_);
    sender_.resetExchange();
    window_.refreshFileNameLabel();
}

void DocumentFiles::openDocument() {
    if (sender_.isRunGoing())
        return;
    if (document_.documentModified &&
        !boxes_.ask(QStringLiteral("データを保存せずに別のファイルを開きますか？")))
        return;
    const QString chosen =
        chooseDataFile(boxes_.prompts(), window_.fileDialogOwner(), FileDialogMode::Open,
                       datPattern, QString::fromUtf8(document_.documentPath.view()));
    if (chosen.isEmpty())
        return;
    const auto path = documentPathBytes(chosen);
    QFile file(chosen);
    QString reason = path ? openChosenFile(file) : pathTooLong;
    if (!reason.isEmpty() || !readDatFile(file, document_, &reason)) {
        boxes_.showError(cannotOpen, fileFailureDetail(chosen, reason));
        return;
    }
    document_.documentPath.assign(*path);
    document_.documentModified = 0;
    state_.changedTitles.reset();
    window_.refreshFileNameLabel();
    removeLeftoverReplacement(chosen);
}

bool DocumentFiles::saveDocument() {
    if (document_.documentPath.isEmpty()) {
        boxes_.showError(QStringLiteral("Don't file open"));
        return false;
    }
    if (!titlesFitFile())
        return false;
    const QString path = QString::fromUtf8(document_.documentPath.view());
    QString whyNot;
    if (!writeFile(path, &whyNot)) {
        boxes_.showError(cannotOpen, fileFailureDetail(path, whyNot));
        return false;
    }
    document_.documentModified = 0;
    return true;
}

bool DocumentFiles::saveDocumentAs() {
    // Checked before the dialog, so that the operator does not choose a name for nothing.
    if (!titlesFitFile())
        return false;
    const QString chosen =
        chooseDataFile(boxes_.prompts(), window_.fileDialogOwner(), FileDialogMode::Save,
                       datPattern, QString::fromUtf8(document_.documentPath.view()));
    if (chosen.isEmpty())
        return false;
    const auto completed = saveAsPath(chosen, datExtension, boxes_);
    if (!completed)
        return false;
    const auto path = documentPathBytes(*completed);
    QString whyNot = pathTooLong;
    if (!path || !writeFile(*completed, &whyNot)) {
        boxes_.showError(cannotOpen, fileFailureDetail(*completed, whyNot));
        return false;
    }
    document_.documentPath.assign(*path);
    document_.documentModified = 0;
    window_.refreshFileNameLabel();
    return true;
}

bool DocumentFiles::confirmExit() {
    if (!document_.documentModified)
        return true;
    if (boxes_.ask(QStringLiteral("データを保存せずに終了しますか？")))
        return true;
    return document_.documentPath.isEmpty() ? saveDocumentAs() : saveDocument();
}

bool DocumentFiles::titlesFitFile() {
    const int index = firstUnstorableTitle(document_);
    if (index < 0)
        return true;
    boxes_.showError(unstorableTitleText(document_, index));
    return false;
}

bool DocumentFiles::writeFile(const QString& path, QString* whyNot) {
    return replaceFile(
        path, [this](QIODevice& file) { return writeDatFile(file, document_); }, whyNot);
}
