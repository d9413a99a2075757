#pragma once

#include "glyphs/GlyphBitmap.h"

#include <QWidget>

// The drawing grid of the glyph editor: one cell of 10 x 8 pixels per dot, a set dot white, a
// clear dot blue outlined in black. It only shows the glyph; the editor takes the mouse, so that
// a press beside the grid counts as well and a drag may run across both.
class GlyphGrid : public QWidget {
    Q_OBJECT
public:
    explicit GlyphGrid(QWidget* parent = nullptr);

    // The glyph to show; it stays where it is, and update() shows its changes.
    void showSample(const GlyphSample* sample);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const GlyphSample* sample_ = nullptr;
};
