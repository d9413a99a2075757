#include "settings/TitleBox.h"

#include "commands/FullWidthForm.h"
#include "commands/TitleCharacters.h"
#include "core/ShiftJisText.h"
#include "ui/TitleWarning.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QValidator>

// Refuses an edit that would take the title beyond 28 bytes or that holds a character without a
// Shift-JIS form, and remembers why for the operator.
class TitleBox::Limit : public QValidator {
public:
    Limit(const TitleText& title, QObject* parent) : QValidator(parent), title_(title) {}

    State validate(QString& input, int&) const override {
        // The title as loaded stands, even one that a file made longer than the box takes.
        if (input == title_.text())
            return Acceptable;
        const auto edited = title_.edited(input);
        if (!edited) {
            why_ = QStringLiteral("「%1」はShift-JISにない文字のため入力できません")
                       .arg(firstUnencodable(input));
            return Invalid;
        }
        if (edited->bytes().size() > titleByteLimit) {
            why_ = QStringLiteral("%1バイトを超えるため入力できません").arg(titleByteLimit);
            return Invalid;
        }
        return Acceptable;
    }

    QString why() const { return why_; }

private:
    static QString firstUnencodable(const QString& text) {
        for (qsizetype offset = 0; offset < text.size();) {
            const qsizetype length = text[offset].isHighSurrogate() ? 2 : 1;
            const QString character = text.sliced(offset, qMin(length, text.size() - offset));
            if (!ShiftJisText::encode(character))
                return character;
            offset += length;
        }
        return {};
    }

    const TitleText& title_;
    mutable QString why_;
};

TitleBox::TitleBox(QLineEdit& edit, QLabel& byteCount, QLabel& problem,
                   QAbstractButton& toFullWidth)
    : QObject(&edit), edit_(edit), byteCount_(byteCount), problem_(problem),
      toFullWidth_(toFullWidth), limit_(new Limit(title_, this)),
      normalText_(edit.palette().color(QPalette::Text)) {
    edit_.setValidator(limit_);
    QPalette palette = problem_.palette();
    palette.setColor(QPalette::WindowText, refusedTitleColour);
    problem_.setPalette(palette);
    connect(&edit_, &QLineEdit::textEdited, this, &TitleBox::onTextEdited);
    connect(&edit_, &QLineEdit::inputRejected, this, &TitleBox::onInputRejected);
    connect(&toFullWidth_, &QAbstractButton::clicked, this, &TitleBox::convertToFullWidth);
    showMarks();
}

void TitleBox::load(QByteArrayView bytes) {
    title_ = TitleText(bytes);
    edit_.setText(title_.text());
    showMarks();
}

void TitleBox::onTextEdited(const QString& text) {
    const auto changed = title_.edited(text);
    if (!changed) {
        // An undo can bring back a character without a Shift-JIS form (one read from damaged
        // bytes, then deleted); the box goes back to what the document keeps.
        edit_.setText(title_.text());
        return;
    }
    title_ = *changed;
    showMarks();
    emit edited(title_.bytes());
}

void TitleBox::onInputRejected() {
    problem_.setText(limit_->why());
}

// As an edit of the operator's: checked by the box's limit, reported, and undone with Ctrl+Z.
void TitleBox::convertToFullWidth() {
    edit_.selectAll();
    edit_.insert(fullWidthForm(edit_.text()));
    edit_.setFocus();
}

void TitleBox::showMarks() {
    const QByteArray bytes = title_.bytes();
    byteCount_.setText(QStringLiteral("%1/%2バイト").arg(bytes.size()).arg(titleByteLimit));
    const QString problem = titleWarning(bytes);
    problem_.setText(problem);
    edit_.setAccessibleDescription(problem);
    QPalette palette = edit_.palette();
    palette.setColor(QPalette::Text, problem.isEmpty() ? normalText_ : refusedTitleColour);
    edit_.setPalette(palette);

    // Offered only where it helps: a character that cannot be sent has a full-width form. The
    // wider title must still fit the box.
    const QString fullWidth = fullWidthForm(title_.text());
    const auto fullWidthBytes = ShiftJisText::byteLength(fullWidth);
    const bool fits = fullWidthBytes && *fullWidthBytes <= titleByteLimit;
    toFullWidth_.setVisible(!refusedCharacters(bytes).isEmpty() && fullWidth != title_.text());
    toFullWidth_.setEnabled(fits);
    const QString why =
        fits ? QString()
             : QStringLiteral("全角にすると%1バイトを超えるため変換できません").arg(titleByteLimit);
    toFullWidth_.setToolTip(why);
    toFullWidth_.setAccessibleDescription(why);
}
