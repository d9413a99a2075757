#pragma once

#include "protocol/ReplyParsing.h"

// Writes a read-back record where it belongs: into the document's tables, or into the glyph
// being edited (its 576 digits; the four bytes behind them stay). Nothing for monostate.
void storeReadBack(const ReadBackRecord& record, SettingsDocument& document,
                   GlyphSample& glyphSample);
