#include "ctl/HostLookup.h"

#include <QEventLoop>
#include <QHostInfo>
#include <QTimer>

std::optional<QHostAddress> lookUpIpv4(const QString& host, int waitSeconds, QString& whyNot) {
    if (const QHostAddress written(host); !written.isNull()) {
        if (written.protocol() == QAbstractSocket::IPv4Protocol)
            return written;
        whyNot = QStringLiteral("not an IPv4 address");
        return std::nullopt;
    }
    QEventLoop loop;
    std::optional<QHostInfo> answer;
    // Declared after the loop, so gone first: an answer that comes later goes nowhere.
    QObject listener;
    const int lookup = QHostInfo::lookupHost(host, &listener, [&](const QHostInfo& info) {
        answer = info;
        loop.quit();
    });
    QTimer::singleShot(waitSeconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    if (!answer) {
        QHostInfo::abortHostLookup(lookup);
        whyNot = QStringLiteral("the name was not found within %1 s").arg(waitSeconds);
        return std::nullopt;
    }
    if (answer->error() != QHostInfo::NoError) {
        whyNot = answer->errorString();
        return std::nullopt;
    }
    for (const QHostAddress& address : answer->addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address;
    }
    whyNot = QStringLiteral("the name has no IPv4 address");
    return std::nullopt;
}
