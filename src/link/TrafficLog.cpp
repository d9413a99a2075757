#include "link/TrafficLog.h"

#include "core/TrafficLogFile.h"

#include <QString>
#include <algorithm>

Q_LOGGING_CATEGORY(zevTraffic, "zev.traffic", QtInfoMsg)

namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

QByteArray quotedTrafficLine(QByteArrayView line) {
    static constexpr char hex[] = "0123456789ABCDEF";
    QByteArray quoted;
    quoted.reserve(line.size() + 8);
    quoted.append('"');
    bool afterHexEscape = false;
    for (const char c : line) {
        // "\x1B" followed by "2" would read as one escape: the quotes end it.
        if (afterHexEscape && isHexDigit(c))
            quoted.append("\"\"");
        afterHexEscape = false;
        switch (c) {
        case '"':
        case '\\':
            quoted.append('\\').append(c);
            break;
        case '\b':
            quoted.append("\\b");
            break;
        case '\f':
            quoted.append("\\f");
            break;
        case '\n':
            quoted.append("\\n");
            break;
        case '\r':
            quoted.append("\\r");
            break;
        case '\t':
            quoted.append("\\t");
            break;
        default:
            if (c >= ' ' && c < 0x7f) {
                quoted.append(c);
            } else {
                const auto byte = static_cast<unsigned char>(c);
                quoted.append("\\x").append(hex[byte >> 4]).append(hex[byte & 0xF]);
                afterHexEscape = true;
            }
        }
    }
    quoted.append('"');
    return quoted;
}

void logTraffic(QByteArrayView link, TrafficDirection direction, QByteArrayView line, bool rs485) {
    if (!zevTraffic().isDebugEnabled())
        return;
    QByteArray text;
    text.reserve(link.size() + line.size() + 32);
    text.append(link);
    if (rs485 && !line.isEmpty())
        text.append(" address ").append(line.first(std::min<qsizetype>(2, line.size())));
    text.append(direction == TrafficDirection::Sent ? " sent " : " received ");
    if (line.isEmpty())
        text.append("a line too long to be a reply, dropped");
    else
        text.append(quotedTrafficLine(line));
    // A flood of lines must not pass through the message machinery one by one.
    if (TrafficLogFile* file = TrafficLogFile::active())
        file->addLine(text);
    else
        qCDebug(zevTraffic).noquote() << QString::fromUtf8(text);
}
