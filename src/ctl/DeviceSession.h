#pragma once

#include "core/AppState.h"
#include "ctl/MessageLog.h"
#include "ctl/TargetDevice.h"
#include "link/ConfigFolder.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "protocol/MessageBoxes.h"

#include <memory>
#include <vector>

// How zevctl reaches the devices: as the program's settings file says, or as the options say.
enum class LinkKind { Settings, Serial, TcpClient, TcpServer };

struct LinkChoice {
    LinkKind kind = LinkKind::Settings;
    Rs485Mode rs485Mode = Rs485Mode::Rs232c;
    int slaveAddress = 0; // on RS-485; LinkConfiguration::broadcastAddress for all
    QString serialPath;   // serial: the device, opened as COM1
    QString host;         // TCP client: the device's address or name; server: the local
                          // address to listen on, empty for every one
    QString port;         // TCP: the port text, as the settings file keeps it
    int devices = 1;      // server role: how many devices to wait for
    int waitSeconds = 5;  // for the connect, or for the devices to connect
    QStringList targets;  // server role: connection entries or peer addresses; empty for all
};

// The link to the devices and the devices it reaches: one over the serial line or as TCP
// client; in the server role every target that is still connected when the wait for them ends,
// each on its own connection with its own command sender, so that all of them are driven at
// once, each at its own pace, and named by its address and port. The links log every line under
// "zev.traffic".
class DeviceSession : public QObject {
    Q_OBJECT
public:
    explicit DeviceSession(const ConfigFolder& folder, QObject* parent = nullptr);
    ~DeviceSession() override;

    // Brings the link up and finds the devices; the reason when it did not come up.
    QString open(const LinkChoice& choice);
    // The devices the commands go to, in order.
    const std::vector<std::unique_ptr<TargetDevice>>& devices() const { return devices_; }
    // The server role's targets that are not connected.
    QStringList missingTargets() const { return missingTargets_; }
    // Server role: that fewer devices connected than were waited for ("3 of 4 devices connected
    // within 10 s"); empty when all did.
    QString shortfall() const { return shortfall_; }

    // Runs the event loop until every device has settled.
    void waitForDevices();

    AppState state; // the link settings, as the options or the settings file give them
    MessageLog messages;
    MessageBoxes boxes{messages, state.dialogs};

private:
    QString openSerial();
    QString connectTcp(const LinkChoice& choice);
    QString listen(const LinkChoice& choice);
    void waitForConnections(int wanted, int seconds);
    // The connection entries of the targets (every device when there are none), in the order
    // of their addresses and ports; the targets not connected go to missingTargets_.
    QList<int> chosenEntries(const QStringList& targets);
    void addDevice(const QString& name, int connection = 0);

    ConfigFolder folder_;
    TcpLink tcp_{state.link};
    SerialLink serial_;
    QStringList missingTargets_;
    QString shortfall_;
    std::vector<std::unique_ptr<TargetDevice>> devices_;
};
