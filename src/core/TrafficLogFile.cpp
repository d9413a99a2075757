#include "core/TrafficLogFile.h"

#include <QDateTime>
#include <QFile>
#include <QLoggingCategory>
#include <cstring>
#include <memory>

namespace {

// The message handler is process-wide, as Qt's is; so are the file and the handler it replaced.
QFile* logFile = nullptr;
QtMessageHandler previousHandler = nullptr;

void writeMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (logFile && context.category &&
        std::strcmp(context.category, TrafficLogFile::categoryName) == 0) {
        const QString stamp = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
        logFile->write((stamp + QLatin1Char(' ') + message + QLatin1Char('\n')).toUtf8());
        logFile->flush(); // the log is read to find out what happened, also after a crash
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

} // namespace

bool TrafficLogFile::open(const QString& path) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        errorText_ =
            QStringLiteral("Cannot open the traffic log %1: %2").arg(path, file->errorString());
        return false;
    }
    delete logFile;
    logFile = file.release();
    if (!installed_)
        previousHandler = qInstallMessageHandler(writeMessage);
    installed_ = true;
    QLoggingCategory::setFilterRules(
        QStringLiteral("%1.debug=true").arg(QLatin1String(categoryName)));
    return true;
}

TrafficLogFile::~TrafficLogFile() {
    if (!installed_)
        return;
    qInstallMessageHandler(previousHandler);
    delete logFile;
    logFile = nullptr;
}
