#pragma once

#include "connection/ConnectionDialog.h"
#include "link/HostList.h"

#include <array>
#include <cstdint>
#include <memory>

struct AppState;
class MessageBoxes;
class ProfileFile;
class TcpLink;
namespace Ui {
class TcpClientDialog;
}

// The row of a host in the host list: each octet in three digits, followed by a blank and a
// dot ("192 .168 .001 .010"), 18 characters.
QString hostRowText(const std::array<std::uint8_t, 4>& octets);

// Dialog 134, the TCP client role: the list of device addresses (kept in the settings file),
// the host to connect to (chosen by double-click), the port, and connect and disconnect. The
// host list and the link do the work; the dialog shows what they hold. The connection stays
// open when the dialog closes.
class TcpClientDialog : public ConnectionDialog {
    Q_OBJECT
public:
    static constexpr int number = 134;
    static constexpr int rowTextLength = 18;

    TcpClientDialog(AppState& state, ProfileFile& settingsFile, TcpLink& tcp, MessageBoxes& boxes,
                    QWidget* parent = nullptr);
    ~TcpClientDialog() override;

    // Closing, however it happens, writes the port number.
    void done(int result) override;

    // The operator's actions, run by the buttons and the list.
    void addHost();
    void deleteSelectedHost();
    void chooseHost(int row);
    void connectToHost();
    void disconnectFromHost();

private:
    void showConnected(bool connected);
    int selectedRow() const;

    AppState& state_;
    ProfileFile& settingsFile_;
    TcpLink& tcp_;
    MessageBoxes& boxes_;
    HostList hosts_;
    std::unique_ptr<Ui::TcpClientDialog> form_;
};
