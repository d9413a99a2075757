#pragma once

struct AppState;
struct SettingsDocument;
class CommandSender;
class MessageBoxes;

// What composing and sending a command works with: the shared state (the area and page chosen,
// the link settings, the glyph being edited), the document, the message boxes and the command
// sender. The program has one for its dialogs; zevctl one per device.
struct CommandContext {
    AppState& state;
    SettingsDocument& document;
    MessageBoxes& boxes;
    CommandSender& sender;
};
