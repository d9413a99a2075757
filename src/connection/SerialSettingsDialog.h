#pragma once

#include "connection/ConnectionDialog.h"

struct AppState;
class ProfileFile;

// Dialog 107: the COM port and RS-232C or RS-485. Each choice is stored and written to the
// settings file at once; the port itself is taken into use at the next start.
class SerialSettingsDialog : public ConnectionDialog {
    Q_OBJECT
public:
    static constexpr int number = 107;

    SerialSettingsDialog(AppState& state, ProfileFile& settingsFile, QWidget* parent = nullptr);
};
