#include "core/ShiftJisText.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace ShiftJisText {
namespace {

constexpr const char* codecName = "windows-31j";

// Input methods produce these; code page 932 has the character under the second code point.
constexpr char16_t inputMethodForms[][2] = {
    {u'\u301C', u'\uFF5E'}, // wave dash -> full-width tilde
    {u'\u2016', u'\u2225'}, // double vertical line -> parallel to
    {u'\u2212', u'\uFF0D'}, // minus sign -> full-width hyphen-minus
    {u'\u2014', u'\u2015'}, // em dash -> horizontal bar
    {u'\u00A2', u'\uFFE0'}, // cent sign
    {u'\u00A3', u'\uFFE1'}, // pound sign
    {u'\u00AC', u'\uFFE2'}, // not sign
};

QString toCodePageForms(QString text) {
    for (const auto& form : inputMethodForms)
        text.replace(QChar(form[0]), QChar(form[1]));
    return text;
}

} // namespace

bool isAvailable() {
    return QStringEncoder(codecName).isValid() && QStringDecoder(codecName).isValid();
}

std::optional<QByteArray> encode(const QString& text) {
    QStringEncoder encoder(codecName);
    QByteArray bytes = encoder.encode(toCodePageForms(text));
    if (!encoder.isValid() || encoder.hasError())
        return std::nullopt;
    return bytes;
}

bool isLeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

QString decode(QByteArrayView bytes) {
    // Stateless: a lead byte at the very end is an error, not the start of the next call.
    QStringDecoder decoder(codecName, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (!decoder.hasError())
        return text;
    // Decode character by character so that only the damaged ones are marked.
    text.clear();
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype length =
            isLeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size() ? 2 : 1;
        QStringDecoder single(codecName, QStringConverter::Flag::Stateless);
        const QString character = single.decode(bytes.sliced(i, length));
        text += single.hasError() ? QString(QChar::ReplacementCharacter) : character;
        i += length;
    }
    return text;
}

std::optional<qsizetype> byteLength(const QString& text) {
    const auto bytes = encode(text);
    if (!bytes)
        return std::nullopt;
    return bytes->size();
}

qsizetype characterBoundary(QByteArrayView bytes, qsizetype maxBytes) {
    qsizetype boundary = 0;
    while (boundary < bytes.size()) {
        const qsizetype length = isLeadByte(static_cast<unsigned char>(bytes[boundary])) ? 2 : 1;
        if (boundary + length > maxBytes || boundary + length > bytes.size())
            break;
        boundary += length;
    }
    return boundary;
}

} // namespace ShiftJisText
