#pragma once

#include "core/GlyphBitmap.h"

#include <QByteArray>
#include <QByteArrayView>

struct CommandContext;

// The command lines of the custom glyphs: registering a glyph, reading the bitmap of a
// character, inserting a registered glyph into a title. The composers are pure; the send
// functions compose from the shared state and hand the line to the command sender.

constexpr int glyphRegistrationCount = 28;
constexpr int titleCharacterCount = 14;

// "GR", registration number + 1 as "01" to "28", the 576 digits of the glyph, CR LF.
QByteArray glyphRegistrationLine(int registrationNumber, const GlyphSample& sample);

// The read of a character's bitmap that a sample text asks for.
struct GlyphReadRequest {
    QByteArray line; // "RFBM", the character code as four hexadecimal digits, CR LF
    bool refused;    // the text looks like a registration number but is none of 1 to 28
};

// "01" to "28" read the glyph registered under that number; any other text of at most "99"
// (an empty one too) is refused. A double-byte character reads its own JIS code (IBM extended
// characters under their NEC-selected equivalent); a text without a JIS code reads 2121.
GlyphReadRequest glyphReadRequest(QByteArrayView sampleText);

// "G", glyph number + 1, "C0", channel and line of the area, page + 1, "I", character
// position + 1, CR LF. A value out of range (only damaged state holds one) goes as the nearest.
QByteArray glyphInsertLine(int glyphNumber, int area, int page, int position);

// "登録": sends the glyph being edited under glyphRegistrationNumber.
void registerGlyph(CommandContext& context);

// "リード": asks the device for the bitmap that glyphSampleText names, unless a read already
// awaits its answer. An unusable link and a refused text are reported and send nothing.
void readGlyphSample(CommandContext& context);

// "設定" of the insertion: the chosen glyph into the chosen title and position.
void sendGlyphInsert(CommandContext& context);
