#pragma once

#include "core/FixedText.h"

#include <QString>

// The custom glyph dialogs' choices and the glyph file they work on. They outlive the dialogs:
// each opening starts where the last one left off. Written by the glyph editor and the glyph
// insertion dialog only.
struct GlyphState {
    int glyphRegistrationNumber = 0; // registration number - 1, 0 to 27
    FixedText<4> glyphSampleText;    // sample box text of 2 bytes or more, otherwise empty
    int glyphModified = 0;           // the operator pressed a mouse button in the editor since
                                     // the last New or glyph file read or write
    QString glyphFilePath;           // current glyph file; empty when there is none
    int insertGlyphNumber = 0;       // registration number - 1 to insert, 0 to 27
    int insertPosition = 0;          // character position - 1 in the title, 0 to 13
};
