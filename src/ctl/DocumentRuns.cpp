#include "ctl/DocumentRuns.h"

#include "commands/TitleCommands.h"
#include "core/FileReplacement.h"
#include "ctl/DeviceSession.h"
#include "ctl/DocumentDifferences.h"
#include "ctl/ProgressBar.h"
#include "ctl/TitleTable.h"
#include "document/DatFile.h"

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

QString devicePath(const QString& path, int connection, bool several) {
    if (!several)
        return path;
    const QFileInfo info(path);
    const QString suffix = info.completeSuffix();
    const QString name = QStringLiteral("%1-%2%3")
                             .arg(info.baseName())
                             .arg(connection)
                             .arg(suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
    return info.path() == QLatin1String(".") ? name : info.dir().filePath(name);
}

std::optional<SettingsDocument> readDocument(const QString& path, QTextStream& err) {
    QFile file(path);
    SettingsDocument document;
    QString reason;
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) ||
        !readDatFile(file, document, &reason)) {
        err << "zevctl: cannot read the settings file " << path << ": "
            << (file.isOpen() ? QStringLiteral("not a settings file: ") + reason
                              : QStringLiteral("no such file"))
            << "\n";
        return std::nullopt;
    }
    return document;
}

std::optional<DocumentRun> prepareDocumentRun(CtlAction action, const QString& path,
                                              QTextStream& err) {
    DocumentRun run{action, path, nullptr};
    if (action == CtlAction::ReadBack) {
        if (!QFileInfo(QFileInfo(path).absolutePath()).isDir()) {
            err << "zevctl: no folder for " << path << "\n";
            return std::nullopt;
        }
        return run;
    }
    auto document = readDocument(path, err);
    if (!document)
        return std::nullopt;
    run.file = std::make_unique<SettingsDocument>(*document);
    if (action != CtlAction::SendAll)
        return run;
    // Send All would stop at the first title it cannot send; none goes out instead.
    bool sendable = true;
    for (int area = 0; area < SettingsDocument::areaCount; ++area) {
        for (int page = 0; page < SettingsDocument::pageCount; ++page) {
            const TitleLine title = titleLine(*run.file, area, page, TitleStorage::Stored);
            if (title.isSendable())
                continue;
            sendable = false;
            err << areaName(area) << " page " << page + 1 << ": " << title.problem << "\n";
        }
    }
    if (!sendable) {
        err << "zevctl: " << titleRefusedMessage << "; nothing sent\n";
        return std::nullopt;
    }
    return run;
}

ExitCode runDocument(const DocumentRun& run, const QString& commandName, DeviceSession& session,
                     const ReportStreams& streams, const ZevctlSetup& setup) {
    const auto& devices = session.devices();
    const TransferKind kind =
        run.action == CtlAction::SendAll ? TransferKind::SendAll : TransferKind::ReadBack;
    qint64 steps = 0;
    for (const auto& device : devices)
        steps += TargetDevice::planOf(kind, device->context).steps.size();
    QElapsedTimer clock;
    clock.start();
    ProgressBar progress(streams.err, setup.progressBar && !streams.json, steps);
    for (const auto& device : devices) {
        if (run.action == CtlAction::SendAll) {
            device->document = *run.file;
            // There is no level dialog here: the levels sent are the document's own.
            device->document.selectedWhiteLevel = run.file->whiteLevel;
            device->document.selectedEdgeLevel = run.file->edgeLevel;
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
            saved = saveReadBack(devicePath(run.path, device->connection, devices.size() > 1),
                                 *device, result) &&
                    saved;
        if (result.outcome == Outcome::Ok && run.action == CtlAction::Verify) {
            result.details = documentDifferences(*run.file, device->document);
            if (!result.details.isEmpty())
                result.outcome = Outcome::Differs;
        }
        reports.append(DeviceReport{device->name, result});
    }
    const ExitCode exitCode = reportDevices(streams,
                                            QJsonObject{{QStringLiteral("command"), commandName},
                                                        {QStringLiteral("file"), run.path},
                                                        {QStringLiteral("seconds"), seconds}},
                                            reports, session.missingTargets());
    return saved ? exitCode : std::max(exitCode, ExitCode::BadInput);
}
