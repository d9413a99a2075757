#pragma once

#include "onair/TitleLine.h"

#include <QWidget>
#include <array>

namespace onair {

// One video channel as the device keys it: a 16:9 frame of dark video with its top and bottom
// title lines. A changed line repaints only its own band of the frame.
class ChannelView : public QWidget {
    Q_OBJECT
public:
    explicit ChannelView(QWidget* parent = nullptr);

    // Line 0 (top) or 1 (bottom) now shows `line`.
    void setLine(int row, const TitleLine& line);
    const TitleLine& line(int row) const { return lines_[row]; }

    // The largest 16:9 frame in the middle of the widget.
    QRectF frame() const;
    // The part of the widget that a change of line `row` repaints.
    QRect lineRect(int row) const;

    QSize sizeHint() const override { return {448, 252}; }
    QSize minimumSizeHint() const override { return {320, 180}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return width * 9 / 16; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<TitleLine, 2> lines_;
};

} // namespace onair
