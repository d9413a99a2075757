#pragma once

#include "core/OperatorPrompts.h"

#include <QString>

struct AppState;
struct SettingsDocument;
class CommandSender;
class DocumentWindow;
class MessageBoxes;

// The File menu: New, Open, Save, Save As, and the question asked before the program ends.
// documentPath holds the path in UTF-8 with the platform's separators; a path of more than
// 8191 bytes is refused like a file that cannot be opened. Saving writes a new file beside the
// old one and renames it into place, so a failed save leaves the old file whole.
class DocumentFiles {
public:
    DocumentFiles(SettingsDocument& document, AppState& state, CommandSender& sender,
                  MessageBoxes& boxes, DocumentWindow& window);

    // Both do nothing while a transfer runs, and ask before unsaved changes are dropped.
    void newDocument();
    void openDocument();
    // True when the document was written.
    bool saveDocument();
    bool saveDocumentAs();
    // True when the program may end: the changes are saved, or the operator chose to drop
    // them. A save that is cancelled or fails keeps the program open.
    bool confirmExit();

private:
    bool titlesFitFile();
    bool writeFile(const QString& path, QString* whyNot);

    SettingsDocument& document_;
    AppState& state_;
    CommandSender& sender_;
    MessageBoxes& boxes_;
    DocumentWindow& window_;
};
