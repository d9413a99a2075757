#pragma once

#include "commands/TitleCharacters.h"

#include <QByteArray>
#include <QString>
#include <optional>

struct CommandContext;
struct SettingsDocument;

// Whether the device keeps a title in its memory ("CT", the "設定" buttons) or only shows it
// until it restarts ("CN", the "Not Memory" buttons).
enum class TitleStorage { NotStored, Stored };

// The one message for every title that cannot be sent.
inline const QString titleRefusedMessage =
    QStringLiteral("ＪＩＳ第１水準,第２水準以外の字が選択されてます");

// The 28 bytes that travel for the title at index (area * 64 + page): the title followed by
// full-width spaces. Nothing when its length is odd or above 28 bytes.
std::optional<QByteArray> fillTitle(const SettingsDocument& document, int index);

// A title line, or why there is none.
struct TitleLine {
    QByteArray line;                         // 65 characters ending in CR LF; empty when refused
    std::optional<RefusedCharacter> refused; // the first character that cannot be sent, if any
    QString problem;                         // for the operator, when refused

    bool isSendable() const { return !line.isEmpty(); }
};

// "CT" or "CN", channel, line, page, then the 14 characters as four hexadecimal digits of their
// JIS codes, from the title that the document holds for the area and page.
TitleLine titleLine(const SettingsDocument& document, int area, int page, TitleStorage storage);

// Composes the line of the title at index and hands it to the command sender; nothing is sent
// when it is refused.
TitleLine sendTitle(CommandContext& context, TitleStorage storage, int index);
