#pragma once

#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "sim/Device.h"
#include "sim/TcpDeviceClients.h"
#include "sim/TcpDeviceServer.h"
#include "support/RecordingPrompts.h"

#include <QTemporaryDir>
#include <QTest>

// The program's side of the device exchange, with its real links, joined to the simulator over
// one of them and set up as the operator would have it: TcpClient connects to a listening
// device; TcpServer listens and chooses the one device that connects; Rs232c and Rs485 open the
// simulator's pseudo-terminal as COM1 (only where ZEV_SIM_POSIX).
class LinkedDevice {
public:
    enum class Link { TcpClient, TcpServer, Rs232c, Rs485 };

    // Returns why the link did not come up, or nothing.
    QString start(Link link, const QList<int>& rs485Addresses = {0});

    AppState state;
    SettingsDocument document;
    RecordingPrompts prompts;
    MessageBoxes boxes{prompts, state.dialogs};
    QTemporaryDir configFolder;
    TcpLink tcp{state.link};
    SerialLink serial{state, ConfigFolder(configFolder.path())};
    CommandSender sender{state, document, boxes, serial, tcp};
    QList<sim::Device*> devices; // on RS-485, in the order of their addresses

private:
    QObject simulator_; // owns the simulated side, which goes first
};

Q_DECLARE_METATYPE(LinkedDevice::Link)

// The rows of a test that runs over a TCP link and over an RS-485 bus (where a pseudo-terminal
// can stand for the line), in a column "link".
inline void tcpAndRs485Rows() {
    QTest::addColumn<LinkedDevice::Link>("link");
    QTest::newRow("TCP") << LinkedDevice::Link::TcpClient;
#ifdef ZEV_SIM_POSIX
    QTest::newRow("RS-485") << LinkedDevice::Link::Rs485;
#endif
}
