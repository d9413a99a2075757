#pragma once

#include <QDialog>

class GlyphGrid;
struct DialogContext;

// "外字登録": the operator draws a custom glyph of 48 x 48 dots with the mouse (the left button
// paints, the right button erases), registers it in the device under a number 1 to 28, reads
// the bitmap of a registered glyph or of a character from the device, and keeps glyphs in
// glyph files. The editor always opens with a blank glyph.
class GlyphEditorDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int number = 115;

    GlyphEditorDialog(DialogContext& context, QWidget* parent = nullptr);

    // Close, the close box and Esc end the dialog with result 2 and stop waiting for the answer
    // to a glyph read.
    void reject() override;

protected:
    // The editor's own area takes the mouse, the grid and the space beside it alike: a press
    // there marks the glyph as edited, and the dialog keeps the mouse while a button is held.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void editDot(QPointF point, bool set);
    void newGlyph();

    DialogContext& context_;
    GlyphGrid* grid_;
    bool paintButtonDown_ = false;
    bool eraseButtonDown_ = false;
};
