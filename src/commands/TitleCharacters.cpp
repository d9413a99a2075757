#include "commands/TitleCharacters.h"

#include "core/ShiftJisText.h"
#include "protocol/JisConversion.h"

namespace {

std::optional<CharacterRefusal> refusalOf(QByteArrayView character) {
    const auto first = static_cast<unsigned char>(character[0]);
    if (character.size() == 1)
        return ShiftJisText::isLeadByte(first) ? CharacterRefusal::Incomplete
                                               : CharacterRefusal::HalfWidth;
    const int code = first * 256 + static_cast<unsigned char>(character[1]);
    if (titleCharacterToJis(code) != 0)
        return std::nullopt;
    if (first >= 0xF0 && first <= 0xF9)
        return CharacterRefusal::UserDefinedArea;
    return CharacterRefusal::OutsideAcceptedRows;
}

QString reasonText(CharacterRefusal reason) {
    switch (reason) {
    case CharacterRefusal::HalfWidth:
        return QStringLiteral("半角文字は送れません");
    case CharacterRefusal::UserDefinedArea:
        return QStringLiteral("外字領域の文字は送れません");
    case CharacterRefusal::OutsideAcceptedRows:
        return QStringLiteral("JIS第１水準,第２水準以外の文字は送れません");
    case CharacterRefusal::Incomplete:
        return QStringLiteral("文字が途中で切れています");
    }
    return {};
}

} // namespace

QList<RefusedCharacter> refusedCharacters(QByteArrayView title) {
    QList<RefusedCharacter> refused;
    int position = 0;
    for (qsizetype offset = 0; offset < title.size(); ++position) {
        const bool pair = ShiftJisText::isLeadByte(static_cast<unsigned char>(title[offset])) &&
                          offset + 1 < title.size();
        const QByteArrayView character = title.sliced(offset, pair ? 2 : 1);
        if (const auto reason = refusalOf(character))
            refused.append({position, character.toByteArray(), *reason});
        offset += character.size();
    }
    return refused;
}

QString describeRefusal(const RefusedCharacter& refused) {
    return QStringLiteral("%1文字目「%2」(%3): %4")
        .arg(refused.position + 1)
        .arg(ShiftJisText::decode(refused.bytes),
             QString::fromLatin1(refused.bytes.toHex().toUpper()), reasonText(refused.reason));
}

std::optional<QString> titleProblem(QByteArrayView title) {
    const auto refused = refusedCharacters(title);
    if (!refused.isEmpty())
        return describeRefusal(refused.first());
    if (title.size() > titleByteLimit)
        return QStringLiteral("%1バイトを超えています").arg(titleByteLimit);
    return std::nullopt;
}
