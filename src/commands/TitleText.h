#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <optional>

// A title as the title box shows it (Unicode) and as the document keeps it (Shift-JIS bytes),
// character by character. Unicode and code page 932 do not map one to one (0xFA4A shows as Ⅰ,
// which encodes as 0x8754; a code the device takes may have no Unicode form at all), so an edit
// converts only the characters the operator changed: the others keep their bytes.
class TitleText {
public:
    TitleText() = default;
    explicit TitleText(QByteArrayView bytes);

    // The title once the box reads text, or nothing when a character that the operator typed has
    // no Shift-JIS form.
    std::optional<TitleText> edited(const QString& text) const;

    QString text() const { return text_; }
    QByteArray bytes() const;

private:
    struct Character {
        QString text;
        QByteArray bytes;
    };

    void append(const QString& text, const QByteArray& bytes);

    QString text_;
    QList<Character> characters_;
};
