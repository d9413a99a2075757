#include "connection/IpAddressEdit.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QValidator>
#include <algorithm>

namespace {

// Up to three digits of at most 255; a keystroke that would make more is refused.
class OctetValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int&) const override {
        if (input.size() > 3)
            return Invalid;
        for (const QChar c : input) {
            if (c < u'0' || c > u'9')
                return Invalid;
        }
        return input.isEmpty() || input.toInt() <= 255 ? Acceptable : Invalid;
    }
};

} // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
    // Looks like one edit box holding the four fields.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    auto* validator = new OctetValidator(this);
    for (int index = 0; index < 4; ++index) {
        if (index > 0)
            layout->addWidget(new QLabel(QStringLiteral("."), this));
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("field%1").arg(index));
        edit->setFrame(false);
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(3);
        edit->setValidator(validator);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 4);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textEdited, this, [this, index, edit](const QString& text) {
            if (text.size() == 3 && edit->cursorPosition() == 3 && index < 3)
                moveTo(index + 1, false);
        });
        layout->addWidget(edit);
        fields_[std::size_t(index)] = edit;
    }
    setFocusProxy(fields_[0]);
}

IpAddressEdit::Octets IpAddressEdit::address() const {
    Octets octets{};
    for (std::size_t index = 0; index < octets.size(); ++index)
        octets[index] = std::uint8_t(fields_[index]->text().toInt()); // "" reads 0
    return octets;
}

void IpAddressEdit::setAddress(const Octets& octets) {
    for (std::size_t index = 0; index < octets.size(); ++index)
        fields_[index]->setText(QString::number(octets[index]));
}

void IpAddressEdit::clear() {
    for (QLineEdit* edit : fields_)
        edit->clear();
}

void IpAddressEdit::moveTo(int index, bool atEnd) {
    QLineEdit* edit = fields_[std::size_t(index)];
    edit->setFocus();
    if (atEnd)
        edit->end(false);
    else
        edit->selectAll();
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const auto found = std::find(fields_.begin(), fields_.end(), watched);
    if (found == fields_.end())
        return false;
    const int index = int(found - fields_.begin());
    QLineEdit* edit = *found;
    const auto* key = static_cast<QKeyEvent*>(event);
    const int position = edit->cursorPosition();
    const bool noSelection = !edit->hasSelectedText();
    switch (key->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        if (index < 3 && !edit->text().isEmpty())
            moveTo(index + 1, false);
        return true;
    case Qt::Key_Backspace:
    case Qt::Key_Left:
        if (index > 0 && position == 0 && noSelection) {
            moveTo(index - 1, true);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (index < 3 && position == edit->text().size() && noSelection) {
            moveTo(index + 1, false);
            return true;
        }
        return false;
    default:
        return false;
    }
}
