#pragma once

#include "core/GlyphBitmap.h"

class QString;

class QIODevice;

// The glyph file (*.txt): 580 lines ending in CR LF on every platform, each holding one byte of
// the glyph: its 576 digits, then the four trailing bytes (a NUL among them after New). There is
// no header and no check value.

// Writes the 580 lines; false when the device takes fewer bytes than given.
bool writeGlyphFile(QIODevice& file, const GlyphSample& sample);

// Reads the bytes of the glyph in order: each is the next character of the file, whatever it
// is, and the white space after it is skipped, so the line breaks carry no meaning. A file that
// ends within the four trailing bytes leaves the rest of them as they were; characters after
// the 580th are ignored. False, with the glyph unchanged, when the file does not begin with 576
// upper-case hexadecimal digits: such a glyph could not be drawn or sent; reason then says why
// for the operator (the line, the digit and what stands there).
bool readGlyphFile(QIODevice& file, GlyphSample& sample, QString* reason = nullptr);
