#include "glyphs/GlyphFiles.h"

#include "core/AppState.h"
#include "core/FileReplacement.h"
#include "document/FileChoice.h"
#include "document/GlyphFile.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "ui/DialogContext.h"

#include <QFile>

namespace {

const QString cannotOpen = QStringLiteral("Can't file open");
const QString glyphPattern = QStringLiteral("*.txt");

// False with the reason, as the system gave it, in the stop box.
bool writeFile(const QString& path, const GlyphSample& sample, MessageBoxes& boxes) {
    QString whyNot;
    if (replaceFile(
            path, [&sample](QIODevice& file) { return writeGlyphFile(file, sample); }, &whyNot))
        return true;
    boxes.showStopError(cannotOpen, fileFailureDetail(path, whyNot));
    return false;
}

} // namespace

bool openGlyphFile(DialogContext& context, QObject* owner) {
    const ExchangeState& exchange = context.sender.exchange();
    GlyphState& glyphs = context.state.glyphs;
    if (exchange.glyphReadPending != 0 || exchange.runGoing)
        return false;
    if (glyphs.glyphModified != 0 &&
        !context.boxes.ask(QStringLiteral("データを保存せずに別のファイルを開きますか？")))
        return false;
    const QString chosen = chooseDataFile(context.boxes.prompts(), owner, FileDialogMode::Open,
                                          glyphPattern, glyphs.glyphFilePath);
    if (chosen.isEmpty())
        return false;
    QFile file(chosen);
    QString reason = openChosenFile(file);
    if (!reason.isEmpty() || !readGlyphFile(file, context.state.glyphSample, &reason)) {
        context.boxes.showError(cannotOpen, fileFailureDetail(chosen, reason));
        return false;
    }
    glyphs.glyphFilePath = chosen;
    glyphs.glyphModified = 0;
    removeLeftoverReplacement(chosen);
    return true;
}

void saveGlyphFile(DialogContext& context) {
    GlyphState& glyphs = context.state.glyphs;
    if (context.sender.exchange().glyphReadPending != 0)
        return;
    if (glyphs.glyphFilePath.isEmpty()) {
        context.boxes.showError(QStringLiteral("Don't file open"));
        return;
    }
    if (!writeFile(glyphs.glyphFilePath, context.state.glyphSample, context.boxes))
        return;
    glyphs.glyphModified = 0;
}

void saveGlyphFileAs(DialogContext& context, QObject* owner) {
    if (context.sender.exchange().glyphReadPending != 0)
        return;
    const QString chosen = chooseDataFile(context.boxes.prompts(), owner, FileDialogMode::Save,
                                          glyphPattern, context.state.glyphs.glyphFilePath);
    if (chosen.isEmpty())
        return;
    const auto path = saveAsPath(chosen, QStringLiteral(".txt"), context.boxes);
    if (!path)
        return;
    if (!writeFile(*path, context.state.glyphSample, context.boxes))
        return;
    context.state.glyphs.glyphFilePath = *path;
    context.state.glyphs.glyphModified = 0;
}
