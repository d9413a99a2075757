#include "ctl/DocumentRuns.h"

#include "commands/TitleCommands.h"
#include "core/FileReplacement.h"
#include "ctl/DeviceReports.h"
#include "ctl/DeviceSession.h"
#include "ctl/ProgressBar.h"
#include "ctl/TitleTable.h"
#include "document/DatFile.h"
#include "document/WholeDatFile.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

namespace {

// Saves what the device read back; false with the reason in the result.
bool saveReadBack(const QString& path, const TargetDevice& device, ExchangeResult& result) {
    QString whyNot;
    // Written beside the file and renamed into place: an older file stays whole until then.
    if (!replaceFile(
            path, [&](QIODevice& file) { return writeDatFile(file, device.document); }, &whyNot)) {
        result.details.append(QStringLiteral("cannot write %1: %2").arg(path, whyNot));
        return false;
    }
    result.details.append(QStringLiteral("saved %1").arg(path));
    return true;
}

} // namespace

QString devicePath(const QString& path, const QString& device, bool several) {
    if (!several)
        return path;
    QString tag = device;
    for (QChar& character : tag) {
        if (!character.isLetterOrNumber() && character != QLatin1Char('.'))
            character = QLatin1Char('-');
    }
    const QFileInfo info(path);
    const QString name =
        info.suffix().isEmpty()
            ? QStringLiteral("%1-%2").arg(info.completeBaseName(), tag)
            : QStringLiteral("%1-%2.%3").arg(info.completeBaseName(), tag, info.suffix());
    return info.path() == QLatin1String(".") ? name : info.dir().filePath(name);
}

std::optional<SettingsDocument> readDocument(const QString& path, CtlReport& report) {
    QFile file(path);
    if (!QFileInfo(path).isFile()) {
        report.fail(ExitCode::BadInput,
                    QStringLiteral("cannot read the settings file %1: no such file").arg(path));
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        report.fail(
            ExitCode::BadInput,
            QStringLiteral("cannot read the settings file %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    QByteArray bytes = file.read(wholeDatFileLimit + 1);
    QBuffer whole(&bytes);
    SettingsDocument document;
    QString reason = wholeDatFileProblem(bytes).value_or(QString());
    if (reason.isEmpty() && whole.open(QIODevice::ReadOnly))
        readDatFile(whole, document, &reason);
    if (!reason.isEmpty()) {
        report.fail(ExitCode::BadInput,
                    QStringLiteral("not a whole settings file: %1: %2").arg(path, reason));
        return std::nullopt;
    }
    return document;
}

std::optional<DocumentRun> prepareDocumentRun(CtlAction action, const QString& path,
                                              CtlReport& report) {
    DocumentRun run{action, path, nullptr, {}, false};
    if (action == CtlAction::ReadBack) {
        if (!QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
            report.fail(ExitCode::BadInput, QStringLiteral("no folder for %1").arg(path));
            return std::nullopt;
        }
        return run;
    }
    auto document = readDocument(path, report);
    if (!document)
        return std::nullopt;
    run.file = std::make_unique<SettingsDocument>(*document);
    if (action != CtlAction::SendAll)
        return run;
    // Send All would stop at the first title it cannot send; none goes out instead.
    for (int area = 0; area < SettingsDocument::areaCount; ++area) {
        for (int page = 0; page < SettingsDocument::pageCount; ++page) {
            const TitleLine title = titleLine(*run.file, area, page, TitleStorage::Stored);
            if (!title.isSendable())
                report.addProblem(QStringLiteral("%1 page %2: %3")
                                      .arg(areaName(area))
                                      .arg(page + 1)
                                      .arg(title.problem));
        }
    }
    if (report.hasProblems()) {
        report.fail(ExitCode::BadInput, titleRefusedMessage + QStringLiteral("; nothing sent"));
        return std::nullopt;
    }
    return run;
}

ExitCode runDocument(const DocumentRun& run, DeviceSession& session, CtlReport& report,
                     const ZevctlSetup& setup) {
    const auto& devices = session.devices();
    const TransferKind kind =
        run.action == CtlAction::SendAll ? TransferKind::SendAll : TransferKind::ReadBack;
    qint64 steps = 0;
    for (const auto& device : devices)
        steps += TargetDevice::planOf(kind, device->context).steps.size();
    QElapsedTimer clock;
    clock.start();
    ProgressBar progress(report.err, setup.progressBar && !report.json, steps);
    for (const auto& device : devices) {
        if (run.action == CtlAction::SendAll) {
            device->document = *run.file;
            device->document.selectedWhiteLevel = run.levels.white;
            device->document.selectedEdgeLevel = run.levels.edge;
        }
        QObject::connect(device.get(), &TargetDevice::stepped, device.get(),
                         [&progress] { progress.advance(); });
        if (device->startRun(kind) && setup.runStarted)
            setup.runStarted(*device);
    }
    session.waitForDevices();
    const double seconds = double(clock.elapsed()) / 1000;
    progress.finish();

    bool saved = true;
    QList<DeviceReport> reports;
    for (const auto& device : devices) {
        ExchangeResult result = device->result();
        if (result.outcome == Outcome::Ok && run.action == CtlAction::ReadBack)
            saved = saveReadBack(devicePath(run.path, device->name, devices.size() > 1), *device,
                                 result) &&
                    saved;
        if (result.outcome == Outcome::Ok && run.action == CtlAction::Verify) {
            result.details =
                documentDifferences(*run.file, device->document,
                                    run.compareLevels ? std::optional(run.levels) : std::nullopt);
            if (!result.details.isEmpty())
                result.outcome = Outcome::Differs;
        }
        reports.append(DeviceReport{device->name, device->connection, result});
    }
    report.fields.insert(QStringLiteral("file"), run.path);
    report.fields.insert(QStringLiteral("seconds"), seconds);
    if (run.action == CtlAction::SendAll || run.compareLevels) {
        report.fields.insert(QStringLiteral("whiteLevel"), run.levels.white);
        report.fields.insert(QStringLiteral("edgeLevel"), run.levels.edge);
    }
    const ExitCode exitCode = reportDevices(report, reports, session.missingTargets());
    return saved ? exitCode : std::max(exitCode, ExitCode::BadInput);
}
