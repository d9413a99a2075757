#pragma once

#include "core/GlyphBitmap.h"

#include <QPoint>
#include <QWidget>
#include <optional>

// The drawing grid of the glyph editor: one cell of 10 x 8 pixels per dot, a set dot white, a
// clear dot blue outlined in black. It only shows the glyph; the editor takes the mouse, so that
// a press beside the grid counts as well and a drag may run across both.
class GlyphGrid : public QWidget {
    Q_OBJECT
public:
    static constexpr int cellWidth = 10;
    static constexpr int cellHeight = 8;
    static constexpr int gridWidth = GlyphBitmap::dotCount * cellWidth;
    static constexpr int gridHeight = GlyphBitmap::dotCount * cellHeight;

    explicit GlyphGrid(QWidget* parent = nullptr);

    // The dot (column, row) under a point of the grid, when the mouse may change it: the
    // outermost ring of dots is left alone, so that only columns and rows 1 to 46 answer.
    static std::optional<QPoint> editableDotAt(QPoint point);

    // The glyph to show; it stays where it is, and update() shows its changes.
    void showSample(const GlyphSample* sample);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const GlyphSample* sample_ = nullptr;
};
