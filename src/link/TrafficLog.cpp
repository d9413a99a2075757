#include "link/TrafficLog.h"

#include <QDebug>
#include <algorithm>

Q_LOGGING_CATEGORY(zevTraffic, "zev.traffic", QtInfoMsg)

void logTraffic(const QString& link, TrafficDirection direction, QByteArrayView line, bool rs485) {
    if (!zevTraffic().isDebugEnabled())
        return;
    QString text = link;
    if (rs485 && !line.isEmpty())
        text += QStringLiteral(" address ") +
                QString::fromLatin1(line.first(std::min<qsizetype>(2, line.size())));
    text += direction == TrafficDirection::Sent ? QStringLiteral(" sent ")
                                                : QStringLiteral(" received ");
    if (line.isEmpty()) {
        text += QStringLiteral("a line too long to be a reply, dropped");
    } else { // quoted, with its line end and anything unprintable escaped
        QString quoted;
        QDebug(&quoted).nospace() << line.toByteArray();
        text += quoted;
    }
    qCDebug(zevTraffic).noquote() << text;
}
