#pragma once

#include "connection/ConnectionDialog.h"

#include <memory>

struct AppState;
class ProfileFile;
class TcpLink;
namespace Ui {
class TcpServerDialog;
}

// Dialog 102, the TCP server role: the port, start and stop of the listening, the devices
// connected now, and the choice of the one device that commands go to. The link does the work
// and holds the connections; the dialog shows its table. Listening and the connections stay
// when the dialog closes; the link keeps accepting devices meanwhile, and the dialog shows them
// when it opens again.
class TcpServerDialog : public ConnectionDialog {
    Q_OBJECT
public:
    static constexpr int number = 102;

    TcpServerDialog(AppState& state, ProfileFile& settingsFile, TcpLink& tcp,
                    QWidget* parent = nullptr);
    ~TcpServerDialog() override;

    // Closing, however it happens, writes the port number.
    void done(int result) override;

    // The operator's actions, run by the buttons and the list.
    void startListening();
    void stopListening();
    // Row by row the list shows every entry of the connection table in use, in the order of
    // the entries; a row chooses its own entry, whatever entries below it have been freed.
    void chooseRow(int row);
    // Shows the connection table as it is now; run at the start and on every change.
    void refreshClientList();

private:
    void showListening();

    AppState& state_;
    ProfileFile& settingsFile_;
    TcpLink& tcp_;
    std::unique_ptr<Ui::TcpServerDialog> form_;
};
