#include "link/TrafficLog.h"

#include "core/TrafficLogFile.h"

#include <QDateTime>
#include <QString>
#include <algorithm>

Q_LOGGING_CATEGORY(zevTraffic, "zev.traffic", QtInfoMsg)

void logTraffic(const QByteArray& link, TrafficDirection direction, QByteArrayView line,
                bool rs485) {
    // The log file reads the stream; the category is the way out only without it, so that a
    // flood of lines never passes through the message machinery one by one.
    const bool toCategory = zevTraffic().isDebugEnabled() && !TrafficLogFile::active();
    if (!toCategory && !TrafficStream::hasReaders())
        return;
    TrafficLine traffic;
    traffic.time = QDateTime::currentMSecsSinceEpoch();
    traffic.direction = direction;
    traffic.link = link;
    if (rs485 && !line.isEmpty())
        traffic.address = line.first(std::min<qsizetype>(2, line.size())).toByteArray();
    traffic.bytes = line.toByteArray();
    TrafficStream::put(traffic);
    if (toCategory)
        qCDebug(zevTraffic).noquote() << QString::fromUtf8(trafficLogText(traffic));
}
