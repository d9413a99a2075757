#include "glyphs/GlyphEditorDialog.h"

#include "commands/GlyphCommands.h"
#include "core/AppState.h"
#include "core/ShiftJisText.h"
#include "glyphs/GlyphFiles.h"
#include "glyphs/GlyphGrid.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "ui/DialogContext.h"
#include "ui/DialogSetup.h"
#include "ui_GlyphEditorDialog.h"

#include <QMouseEvent>
#include <QValidator>
#include <QtMath>

namespace {

constexpr int sampleTextBytes = 2;

// The sample box holds at most two Shift-JIS bytes: one double-byte character or two
// single-byte ones. A character without a Shift-JIS form is refused as it is typed.
class SampleTextValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& text, int&) const override {
        const auto length = ShiftJisText::byteLength(text);
        return length && *length <= sampleTextBytes ? Acceptable : Invalid;
    }
};

} // namespace

GlyphEditorDialog::GlyphEditorDialog(DialogContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    Ui::GlyphEditorDialog form;
    form.setupUi(this);
    grid_ = form.glyphGrid;
    AppState& state = context.state;
    GlyphState& glyphs = state.glyphs;
    beginDialog(*this, state.dialogs);

    state.glyphSample.fill('0');
    // The glyph that the current glyph file holds is no longer shown, so "保存" must not write
    // the blank one over it.
    glyphs.glyphFilePath.clear();
    grid_->showSample(&state.glyphSample);
    connect(&context.sender.replies(), &ReplyHandler::glyphSampleChanged, grid_,
            qOverload<>(&QWidget::update));

    fillList(*form.registrationNumberList, numberEntries(glyphRegistrationCount),
             glyphs.glyphRegistrationNumber);
    connect(form.registrationNumberList, &QComboBox::activated, this,
            [&glyphs](int index) { glyphs.glyphRegistrationNumber = index; });

    // The box shows the sample text that a read would ask for, also the one kept from the last
    // time the editor was open.
    form.sampleEdit->setValidator(new SampleTextValidator(form.sampleEdit));
    form.sampleEdit->setText(ShiftJisText::decode(glyphs.glyphSampleText.view()));
    connect(form.sampleEdit, &QLineEdit::textChanged, this, [&glyphs](const QString& text) {
        const QByteArray bytes = ShiftJisText::encode(text).value_or(QByteArray());
        glyphs.glyphSampleText.assign(bytes.size() >= sampleTextBytes ? bytes : QByteArray());
    });

    connect(form.newButton, &QPushButton::clicked, this, &GlyphEditorDialog::newGlyph);
    connect(form.openButton, &QPushButton::clicked, this, [this] {
        if (openGlyphFile(context_, this))
            grid_->update();
    });
    connect(form.saveButton, &QPushButton::clicked, this, [this] { saveGlyphFile(context_); });
    connect(form.saveAsButton, &QPushButton::clicked, this,
            [this] { saveGlyphFileAs(context_, this); });
    connect(form.registerButton, &QPushButton::clicked, this, [this] { registerGlyph(context_); });
    connect(form.readButton, &QPushButton::clicked, this, [this] { readGlyphSample(context_); });
    connect(form.closeButton, &QPushButton::clicked, this, &GlyphEditorDialog::reject);

    setUpSlaveAddressList(*form.slaveAddressList, state.link);
    setConnectionCaption(*this, context_, QStringLiteral("外字登録 "));
}

void GlyphEditorDialog::reject() {
    context_.sender.setGlyphReadPending(false);
    done(2);
}

void GlyphEditorDialog::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        editDot(event->position(), true);
        paintButtonDown_ = true;
    } else if (event->button() == Qt::RightButton) {
        editDot(event->position(), false);
        eraseButtonDown_ = true;
    } else {
        QDialog::mousePressEvent(event);
        return;
    }
    context_.state.glyphs.glyphModified = 1;
}

void GlyphEditorDialog::mouseMoveEvent(QMouseEvent* event) {
    // Both buttons held: painted, then erased again.
    if (paintButtonDown_)
        editDot(event->position(), true);
    if (eraseButtonDown_)
        editDot(event->position(), false);
}

void GlyphEditorDialog::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        paintButtonDown_ = false;
    else if (event->button() == Qt::RightButton)
        eraseButtonDown_ = false;
    else
        QDialog::mouseReleaseEvent(event);
}

void GlyphEditorDialog::editDot(QPointF point, bool set) {
    const QPoint pixel(qFloor(point.x()), qFloor(point.y()));
    const auto dot = GlyphGrid::editableDotAt(grid_->mapFrom(this, pixel));
    if (dot && GlyphBitmap::setDot(context_.state.glyphSample, dot->x(), dot->y(), set))
        grid_->update();
}

void GlyphEditorDialog::newGlyph() {
    GlyphState& glyphs = context_.state.glyphs;
    if (context_.sender.exchange().glyphReadPending != 0)
        return;
    if (glyphs.glyphModified != 0 &&
        !context_.boxes.prompts().askYesNo(this, QStringLiteral("新規作成"),
                                           QStringLiteral("データを保存せずに新規作成しますか？")))
        return;
    GlyphBitmap::startNewGlyph(context_.state.glyphSample);
    glyphs.glyphFilePath.clear();
    grid_->update();
    glyphs.glyphModified = 0;
}
