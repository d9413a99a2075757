#include "core/TrafficStream.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<TrafficReader*>& readers() {
    static std::vector<TrafficReader*> all;
    return all;
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

} // namespace

QByteArray trafficLogText(const TrafficLine& line) {
    QByteArray text;
    text.reserve(line.link.size() + line.bytes.size() + 32);
    text.append(line.link);
    if (!line.address.isEmpty())
        text.append(" address ").append(line.address);
    text.append(line.direction == TrafficDirection::Sent ? " sent " : " received ");
    if (line.bytes.isEmpty())
        text.append("a line too long to be a reply, dropped");
    else
        text.append(quotedTrafficLine(line.bytes));
    return text;
}

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

void TrafficStream::addReader(TrafficReader* reader) {
    if (std::find(readers().begin(), readers().end(), reader) == readers().end())
        readers().push_back(reader);
}

void TrafficStream::removeReader(TrafficReader* reader) {
    std::erase(readers(), reader);
}

bool TrafficStream::hasReaders() {
    return !readers().empty();
}

void TrafficStream::put(const TrafficLine& line) {
    for (TrafficReader* reader : readers())
        reader->readTraffic(line);
}
