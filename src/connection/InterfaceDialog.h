#pragma once

#include "connection/ConnectionDialog.h"

struct AppState;
class ProfileFile;
class SerialLink;
class TcpLink;

// Dialog 105: the serial line (RS-232C/RS-485) or TCP/IP. The choice is stored and written to
// the settings file the moment the operator picks it; choosing the serial line opens its port at
// once when it is not open yet.
class InterfaceDialog : public ConnectionDialog {
    Q_OBJECT
public:
    static constexpr int number = 105;

    InterfaceDialog(AppState& state, ProfileFile& settingsFile, const TcpLink& tcp,
                    SerialLink& serial, QWidget* parent = nullptr);
};
