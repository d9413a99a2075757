#include "sim/TrafficLog.h"

#include "sim/Device.h"

#include <QTextStream>

namespace sim {

QString printable(const QByteArray& text) {
    QString shown;
    for (char byte : text) {
        const auto code = static_cast<unsigned char>(byte);
        if (code >= 0x20 && code < 0x7F)
            shown += QLatin1Char(byte);
        else
            shown += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
    }
    return shown;
}

void logTraffic(Device* device, const QString& name, QTextStream& out) {
    QObject::connect(device, &Device::lineReceived, device, [&out, name](const QByteArray& line) {
        out << name << " <- " << printable(line) << Qt::endl;
    });
    QObject::connect(device, &Device::replySent, device, [&out, name](const QByteArray& bytes) {
        for (QByteArray line : bytes.split('\n')) {
            if (line.endsWith('\r'))
                line.chop(1);
            if (!line.isEmpty())
                out << name << " -> " << printable(line) << Qt::endl;
        }
    });
}

} // namespace sim
