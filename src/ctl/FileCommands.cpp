#include "ctl/FileCommands.h"

#include "core/AppState.h"
#include "core/FileReplacement.h"
#include "ctl/DocumentRuns.h"
#include "ctl/TitleTable.h"
#include "document/DatFile.h"
#include "document/DocumentReset.h"

#include <QFile>
#include <QFileInfo>
#include <memory>

namespace {

// Written beside the file and renamed into place: an old file stays whole until then.
bool saveDocument(const QString& path, const SettingsDocument& document, CtlReport& report) {
    QString whyNot;
    if (replaceFile(
            path, [&](QIODevice& file) { return writeDatFile(file, document); }, &whyNot))
        return true;
    report.fail(ExitCode::BadInput, QStringLiteral("cannot write %1: %2").arg(path, whyNot));
    return false;
}

} // namespace

ExitCode writeNewDocument(const QString& path, CtlReport& report) {
    report.fields.insert(QStringLiteral("file"), path);
    if (QFileInfo::exists(path)) {
        return report.fail(
            ExitCode::BadInput,
            QStringLiteral("%1 exists; a new document goes to a new file").arg(path));
    }
    const auto state = std::make_unique<AppState>();
    const auto document = std::make_unique<SettingsDocument>();
    resetDocument(*document, *state);
    if (!saveDocument(path, *document, report))
        return ExitCode::BadInput;
    report.tell(QStringLiteral("saved %1").arg(path));
    return ExitCode::Ok;
}

ExitCode exportTitleTable(const QString& path, CtlReport& report) {
    report.fields.insert(QStringLiteral("file"), path);
    const auto document = readDocument(path, report);
    if (!document)
        return ExitCode::BadInput;
    const QString table = QString::fromUtf8(exportTitles(*document));
    report.writeData(table);
    QJsonArray titles;
    for (const QString& line : table.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        titles.append(QJsonObject{{QStringLiteral("area"), fields.value(0)},
                                  {QStringLiteral("page"), fields.value(1).toInt()},
                                  {QStringLiteral("title"), fields.value(2)}});
    }
    report.fields.insert(QStringLiteral("titles"), titles);
    return ExitCode::Ok;
}

ExitCode importTitleTable(const QString& path, const QString& tablePath, bool skipBad,
                          CtlReport& report) {
    report.fields.insert(QStringLiteral("file"), path);
    // The file is this command's from now on: what a killed run left beside it goes.
    removeLeftoverReplacement(path);
    auto document = readDocument(path, report);
    if (!document)
        return ExitCode::BadInput;
    QFile table(tablePath);
    if (!table.open(QIODevice::ReadOnly)) {
        return report.fail(
            ExitCode::BadInput,
            QStringLiteral("cannot read %1: %2").arg(tablePath, table.errorString()));
    }
    const TitleImport imported = importTitles(table.readAll(), *document, skipBad);
    for (const QString& problem : imported.malformed + imported.refused)
        report.addProblem(problem);
    if (!imported.malformed.isEmpty() || (!imported.refused.isEmpty() && !skipBad))
        return report.fail(ExitCode::BadInput, QStringLiteral("nothing changed"));
    if (!saveDocument(path, *document, report))
        return ExitCode::BadInput;
    report.fields.insert(QStringLiteral("imported"), imported.imported);
    report.tell(QStringLiteral("%1 titles imported into %2").arg(imported.imported).arg(path));
    return ExitCode::Ok;
}
