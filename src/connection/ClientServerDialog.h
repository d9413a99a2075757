#pragma once

#include "connection/ConnectionDialog.h"

struct AppState;
class ProfileFile;
class TcpLink;

// Dialog 132: whether the program is the TCP client or the TCP server. The choice is stored
// and written to the settings file the moment the operator picks it; the main window's title
// follows it when the dialog has closed.
class ClientServerDialog : public ConnectionDialog {
    Q_OBJECT
public:
    static constexpr int number = 132;

    ClientServerDialog(AppState& state, ProfileFile& settingsFile, const TcpLink& tcp,
                       QWidget* parent = nullptr);
};
