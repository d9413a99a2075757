#include "commands/TitleText.h"

#include "core/ShiftJisText.h"

#include <algorithm>

TitleText::TitleText(QByteArrayView bytes) {
    for (qsizetype offset = 0; offset < bytes.size();) {
        const bool pair = ShiftJisText::isLeadByte(static_cast<unsigned char>(bytes[offset])) &&
                          offset + 1 < bytes.size();
        const QByteArrayView character = bytes.sliced(offset, pair ? 2 : 1);
        append(ShiftJisText::decode(character), character.toByteArray());
        offset += character.size();
    }
}

void TitleText::append(const QString& text, const QByteArray& bytes) {
    text_ += text;
    characters_.append({text, bytes});
}

std::optional<TitleText> TitleText::edited(const QString& text) const {
    // The characters in front of and behind the edit keep their bytes; only what lies between
    // is the operator's new text.
    qsizetype kept = 0;
    qsizetype keptLength = 0;
    while (kept < characters_.size() &&
           QStringView(text).sliced(keptLength).startsWith(characters_[kept].text)) {
        keptLength += characters_[kept].text.size();
        ++kept;
    }
    qsizetype behind = characters_.size();
    qsizetype behindLength = 0;
    while (behind > kept &&
           text.size() - keptLength - behindLength >= characters_[behind - 1].text.size() &&
           QStringView(text)
               .first(text.size() - behindLength)
               .endsWith(characters_[behind - 1].text)) {
        behindLength += characters_[behind - 1].text.size();
        --behind;
    }

    TitleText result;
    for (qsizetype index = 0; index < kept; ++index)
        result.append(characters_[index].text, characters_[index].bytes);
    const QString typed = text.sliced(keptLength, text.size() - keptLength - behindLength);
    for (qsizetype offset = 0; offset < typed.size();) {
        const qsizetype length = typed[offset].isHighSurrogate() ? 2 : 1;
        const QString character = typed.sliced(offset, std::min(length, typed.size() - offset));
        const auto bytes = ShiftJisText::encode(character);
        if (!bytes)
            return std::nullopt;
        result.append(character, *bytes);
        offset += character.size();
    }
    for (qsizetype index = behind; index < characters_.size(); ++index)
        result.append(characters_[index].text, characters_[index].bytes);
    return result;
}

QByteArray TitleText::bytes() const {
    QByteArray bytes;
    for (const Character& character : characters_)
        bytes += character.bytes;
    return bytes;
}
