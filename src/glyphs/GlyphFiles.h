#pragma once

class QObject;
struct DialogContext;

// The glyph editor's file buttons. glyphFilePath is the current glyph file; the file dialogs
// are owned by owner. Nothing happens while a glyph read awaits its answer, and opening also
// waits for a running transfer to end. Saving writes a new file beside the old one and renames
// it into place, so a failed save leaves the old file whole.

// "開く": asks first when the glyph has unsaved edits; true when a glyph was read.
bool openGlyphFile(DialogContext& context, QObject* owner);
// "保存": writes to the current glyph file without asking.
void saveGlyphFile(DialogContext& context);
// "名前を付けて保存": writes under a chosen name, completed with ".txt", which becomes current.
void saveGlyphFileAs(DialogContext& context, QObject* owner);
