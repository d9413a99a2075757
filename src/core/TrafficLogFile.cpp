#include "core/TrafficLogFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QLoggingCategory>
#include <cstring>

namespace {

// The message handler is process-wide, as Qt's is; so are the log and the handler it replaced.
TrafficLogFile* activeLog = nullptr;
QtMessageHandler previousHandler = nullptr;

void writeMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (activeLog && context.category &&
        std::strcmp(context.category, TrafficLogFile::categoryName) == 0) {
        activeLog->addLine(message.toUtf8());
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

QString rotatedPath(const QString& path, int number) {
    return QStringLiteral("%1.%2").arg(path).arg(number);
}

} // namespace

TrafficLogFile::TrafficLogFile() {
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(flushInterval);
    connect(&flushTimer_, &QTimer::timeout, this, &TrafficLogFile::flush);
}

TrafficLogFile::~TrafficLogFile() {
    if (!installed_)
        return;
    TrafficStream::removeReader(this);
    flush();
    qInstallMessageHandler(previousHandler);
    QLoggingCategory::setFilterRules({});
    if (activeLog == this)
        activeLog = nullptr;
}

bool TrafficLogFile::open(const QString& path, qint64 rotationSize) {
    path_ = path;
    rotationSize_ = rotationSize;
    if (!openFile())
        return false;
    // Written at once: a log that cannot take this line (a full disk) is said now, not lost.
    addLine(QStringLiteral("traffic log of %1 (process %2) opened")
                .arg(QCoreApplication::applicationName())
                .arg(QCoreApplication::applicationPid())
                .toUtf8());
    flush();
    if (!file_.isOpen())
        return false;
    activeLog = this;
    TrafficStream::addReader(this);
    if (!installed_)
        previousHandler = qInstallMessageHandler(writeMessage);
    installed_ = true;
    QLoggingCategory::setFilterRules(
        QStringLiteral("%1.debug=true").arg(QLatin1String(categoryName)));
    return true;
}

TrafficLogFile* TrafficLogFile::active() {
    return activeLog;
}

void TrafficLogFile::addLine(QByteArrayView text) {
    if (!file_.isOpen())
        return;
    appendStamp();
    pending_.append(' ').append(text).append('\n');
    if (pending_.size() >= bufferLimit)
        flush();
    else if (!flushTimer_.isActive())
        flushTimer_.start();
}

// The time stamp of ISO 8601 with milliseconds, in local time; formatting a date costs far more
// than a line, so it is done once a second.
void TrafficLogFile::appendStamp() {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (now / 1000 != stampSecond_) {
        stampSecond_ = now / 1000;
        stampPrefix_ =
            QDateTime::fromMSecsSinceEpoch(stampSecond_ * 1000).toString(Qt::ISODate).toUtf8() +
            '.';
    }
    const int milliseconds = int(now % 1000);
    const char digits[3] = {char('0' + milliseconds / 100), char('0' + milliseconds / 10 % 10),
                            char('0' + milliseconds % 10)};
    pending_.append(stampPrefix_).append(digits, 3);
}

void TrafficLogFile::flush() {
    flushTimer_.stop();
    while (!pending_.isEmpty() && file_.isOpen()) {
        // As much as the file has room for, in whole lines; a file too full for the next line
        // is rotated, and a line longer than a whole file gets one to itself.
        qsizetype size = pending_.size();
        if (fileSize_ + size > rotationSize_ && rotates()) {
            const qint64 room = rotationSize_ - fileSize_;
            size = room > 0 ? pending_.lastIndexOf('\n', room - 1) + 1 : 0;
            if (size == 0 && fileSize_ > 0) {
                if (!rotate())
                    return fail();
                continue;
            }
            if (size == 0)
                size = pending_.indexOf('\n') + 1;
        }
        if (file_.write(pending_.constData(), size) != size)
            return fail();
        fileSize_ += size;
        pending_.remove(0, size);
    }
}

// Only a regular file grows; a device such as /dev/null or a terminal is written as it is.
bool TrafficLogFile::rotates() const {
    return QFileInfo(path_).isFile();
}

bool TrafficLogFile::rotate() {
    file_.close();
    QFile::remove(rotatedPath(path_, keptFiles));
    for (int number = keptFiles - 1; number >= 1; --number)
        QFile::rename(rotatedPath(path_, number), rotatedPath(path_, number + 1));
    QFile::rename(path_, rotatedPath(path_, 1));
    return openFile();
}

bool TrafficLogFile::openFile() {
    file_.setFileName(path_);
    // Unbuffered: the lines are collected here, and a failed write must show at once.
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text |
                    QIODevice::Unbuffered)) {
        errorText_ =
            QStringLiteral("Cannot open the traffic log %1: %2").arg(path_, file_.errorString());
        return false;
    }
    fileSize_ = file_.size();
    return true;
}

void TrafficLogFile::fail() {
    errorText_ =
        QStringLiteral("Cannot write the traffic log %1: %2").arg(path_, file_.errorString());
    file_.close();
    pending_.clear();
    // Queued: a flush may run inside a link's handler, where no box may open.
    if (activeLog == this)
        QMetaObject::invokeMethod(
            this, [this] { emit failed(errorText_); }, Qt::QueuedConnection);
}
