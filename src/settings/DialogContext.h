#pragma once

struct AppState;
struct SettingsDocument;
class CommandSender;
class MessageBoxes;
class TcpLink;

// What every dialog that talks to the device works with: the shared state, the document, the
// message boxes, the command sender, and the TCP link for what its connections show (the chosen
// connection's address in the captions). The running program has one; tests build their own.
struct DialogContext {
    AppState& state;
    SettingsDocument& document;
    MessageBoxes& boxes;
    CommandSender& sender;
    const TcpLink& tcp;
};
