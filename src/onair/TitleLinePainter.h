#pragma once

#include <QRectF>

class QPainter;

namespace onair {

struct TitleLine;

// Where the device keys a title line in a frame of video and how it draws it: fourteen square
// full-width cells across four fifths of the frame, the top line near the top edge and the
// bottom line near the bottom edge, moved sideways by the display position (7 is the middle).
namespace titleLine {

// The fourteen cells of line `row` (0 top, 1 bottom) at display position `position`.
QRectF cellsRect(const QRectF& frame, int row, int position);
// The band across the frame that holds line `row` at any position, with its outline.
QRectF band(const QRectF& frame, int row);
// Draws the line's cells into `cells`, when it is shown: characters in a CJK font and glyphs from
// their dots, as bright as the white level, outlined as thick as the edge level.
void paint(QPainter& painter, const QRectF& cells, const TitleLine& line);

} // namespace titleLine

} // namespace onair
