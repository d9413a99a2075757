#include "commands/FullWidthForm.h"

#include <iterator>

namespace {

constexpr char16_t firstHalfWidthKana = u'｡'; // U+FF61
// U+FF61 to U+FF9F in order, the two sound marks last.
constexpr char16_t fullWidthKana[] =
    u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチ"
    u"ツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
static_assert(std::size(fullWidthKana) - 1 == 0xFF9F - 0xFF61 + 1);
constexpr char16_t voicedMark = u'ﾞ';
constexpr char16_t semiVoicedMark = u'ﾟ';

bool isHalfWidthKana(char16_t character) {
    return character >= firstHalfWidthKana && character <= semiVoicedMark;
}

// The kana with the sound mark that follows it, or 0 where there is none (the mark then
// stands as a character of its own). The kana here come from the table above, so each is a
// plain one: its voiced form follows it, its semi-voiced form two places on (カガ, ハバパ).
char16_t withMark(char16_t kana, char16_t mark) {
    const bool kaToTo = kana >= u'カ' && kana <= u'ト' && kana != u'ッ';
    const bool haToHo = kana >= u'ハ' && kana <= u'ホ';
    if (mark == voicedMark && kana == u'ウ')
        return u'ヴ';
    if (mark == voicedMark && (kaToTo || haToHo))
        return char16_t(kana + 1);
    if (mark == semiVoicedMark && haToHo)
        return char16_t(kana + 2);
    return 0;
}

} // namespace

QString fullWidthForm(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype index = 0; index < text.size(); ++index) {
        const char16_t character = text[index].unicode();
        if (character == u' ') {
            result += u'　';
        } else if (character > u' ' && character <= u'~') {
            result += QChar(character - u'!' + u'！');
        } else if (isHalfWidthKana(character)) {
            const char16_t kana = fullWidthKana[character - firstHalfWidthKana];
            const char16_t next = index + 1 < text.size() ? text[index + 1].unicode() : 0;
            const char16_t marked = withMark(kana, next);
            result += QChar(marked != 0 ? marked : kana);
            if (marked != 0)
                ++index;
        } else {
            result += QChar(character);
        }
    }
    return result;
}
