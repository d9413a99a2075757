#include "protocol/ReplyTable.h"

#include <algorithm>
#include <iterator>

namespace {

using enum ReplyKind;
constexpr ReplyClass Data = ReplyClass::Data;
constexpr ReplyClass DeviceRefusal = ReplyClass::DeviceRefusal;
constexpr ReplyClass OtherReply = ReplyClass::OtherReply;

// In the order the prefixes are tried.
constexpr ReplyCode replyCodes[] = {
    {"GO", Accepted, ReplyClass::Accepted, "accepted", "Success", "Socket ＯＫ"},
    {"AST", SwitchTimes, Data, "switching times", nullptr, nullptr},
    {"CTDPO", DisplayPosition, Data, "display position", nullptr, nullptr},
    {"CTD", DisplayFlags, Data, "title display", nullptr, nullptr},
    {"CEL", EdgeLevel, Data, "edge level", nullptr, nullptr},
    {"CWL", WhiteLevel, Data, "white level", nullptr, nullptr},
    {"SUS", StartupPage, Data, "start-up page", nullptr, nullptr},
    {"CT", Title, Data, "title", nullptr, nullptr},
    {"P0", DisplayPage, Data, "display page", nullptr, nullptr},
    {"FBM", Glyph, Data, "glyph", nullptr, nullptr},
    {"GN", Refused, OtherReply, "refused: mode difference or automatic switching",
     "Mode difference", "Socket mode difference", "自動切換え中！", "Socket 自動切換え中！"},
    {"MENU", MenuDisplay, OtherReply, "refused: the device shows its menu", "Menu Display",
     "Socket Menu Display"},
    {"E0", FramingError, DeviceRefusal, "framing error", "Framing Error", "Socket Framing"},
    {"E1", ParityError, DeviceRefusal, "parity error", "Parity Error", "Socket Framing"},
    {"E2", OverrunError, DeviceRefusal, "overrun error", "Over run Error", "Socket Over run"},
    {"E3", CommandError, DeviceRefusal, "command error", "Command Error", "Socket Command"},
};

constexpr ReplyCode unknownReply{"", Unknown, OtherReply, "unexpected reply", nullptr, nullptr};

} // namespace

const ReplyCode& replyCode(ReplyKind kind) {
    const auto found = std::find_if(std::begin(replyCodes), std::end(replyCodes),
                                    [kind](const ReplyCode& code) { return code.kind == kind; });
    return found == std::end(replyCodes) ? unknownReply : *found;
}

ReplyKind classifyReply(QByteArrayView reply, ReplyLink link) {
    // Over the serial link only the whole line "GO" counts; over TCP whatever begins with it.
    if (reply.startsWith("GO"))
        return link == ReplyLink::Tcp || reply == QByteArrayView("GO\r\n") ? Accepted : Unknown;
    for (const ReplyCode& code : replyCodes) {
        if (reply.startsWith(code.prefix))
            return code.kind;
    }
    return Unknown;
}

ReplyKind expectedReply(QByteArrayView commandLine) {
    if (!commandLine.startsWith('R'))
        return Accepted;
    const ReplyKind data = classifyReply(commandLine.sliced(1), ReplyLink::Tcp);
    return replyCode(data).replyClass == Data ? data : Accepted;
}

QString replyText(ReplyKind kind, ReplyLink link, bool glyphReadPending) {
    const ReplyCode& code = replyCode(kind);
    const bool serial = link == ReplyLink::Serial;
    const char* text = serial ? code.serialText : code.tcpText;
    if (glyphReadPending && code.glyphReadSerialText != nullptr)
        text = serial ? code.glyphReadSerialText : code.glyphReadTcpText;
    return text == nullptr ? QString() : QString::fromUtf8(text);
}
