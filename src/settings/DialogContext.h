#pragma once

struct AppState;
struct SettingsDocument;
class CommandSender;
class MessageBoxes;

// What every dialog that talks to the device works with: the shared state, the document, the
// message boxes and the command sender. The running program has one; tests build their own.
struct DialogContext {
    AppState& state;
    SettingsDocument& document;
    MessageBoxes& boxes;
    CommandSender& sender;
};
