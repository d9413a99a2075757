#include "support/LinkedDevice.h"

#include "sim/Device.h"
#ifdef ZEV_SIM_POSIX
#include "sim/SerialDeviceBus.h"
#endif
#include "sim/TcpDeviceClients.h"
#include "sim/TcpDeviceServer.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr int connectTimeoutMs = 3000;
}

LinkedDevice::LinkedDevice(Link link, const QList<int>& rs485Addresses, int deviceCount)
    : serial(state, boxes, ConfigFolder(configFolder.path())), link_(link),
      rs485Addresses_(rs485Addresses), deviceCount_(deviceCount) {
    state.running = 1;
    QObject::connect(&serial, &SerialLink::replyLine, &replies,
                     [this](const QByteArray& line) { replies.handleSerialReply(line); });
}

LinkedDevice::~LinkedDevice() {
    // The program closes its sockets first and the simulated devices see the close before they
    // go: a simulated device must not be destroyed with its connection still open.
    tcp.closeAllSockets();
    const auto closed = [this] {
        return (!server_ || server_->connectionCount() == 0) &&
               (!clients_ || clients_->connectedCount() == 0);
    };
    if (!QTest::qWaitFor(closed, connectTimeoutMs))
        qWarning("LinkedDevice: a simulated device kept its connection open");
}

bool LinkedDevice::start() {
    if (!configFolder.isValid())
        return fail(QStringLiteral("no temporary folder"));
    switch (link_) {
    case Link::TcpClient:
        return startTcpClient();
    case Link::TcpServer:
        return startTcpServer();
    case Link::Rs232c:
    case Link::Rs485:
        return startSerial();
    }
    return false;
}

sim::Device* LinkedDevice::device(int index) const {
    if (server_)
        return server_->device();
    if (clients_)
        return clients_->device(index);
#ifdef ZEV_SIM_POSIX
    if (bus_)
        return bus_->device(index);
#endif
    return nullptr;
}

sim::Device* LinkedDevice::deviceWithAddress(int address) const {
#ifdef ZEV_SIM_POSIX
    if (bus_)
        return bus_->deviceWithAddress(address);
#endif
    Q_UNUSED(address);
    return nullptr;
}

bool LinkedDevice::startTcpClient() {
    server_ = std::make_unique<sim::TcpDeviceServer>();
    if (!server_->listen())
        return fail(server_->errorString());
    state.interfaceKind = 1;
    state.tcpRole = 0;
    state.hostAddresses[0] = {127, 0, 0, 1};
    state.hostCount = 1;
    state.selectedConnection = 0;
    state.portNumberText.assign(QByteArray::number(server_->serverPort()));

    QSignalSpy connected(&tcp, &TcpLink::clientConnected);
    if (!tcp.connectToDevice())
        return fail(QStringLiteral("connect refused at once"));
    if (!connected.wait(connectTimeoutMs))
        return fail(QStringLiteral("no connection to the simulated device"));
    state.tcpConnected = 1; // as the client dialog marks a completed connect
    return true;
}

bool LinkedDevice::startTcpServer() {
    state.interfaceKind = 1;
    state.tcpRole = 1;
    state.portNumberText.assign(""); // any free port
    if (!tcp.startListening())
        return fail(QStringLiteral("cannot listen"));
    clients_ = std::make_unique<sim::TcpDeviceClients>(deviceCount_);
    clients_->connectToProgram(QStringLiteral("127.0.0.1"), tcp.listeningPort());

    const auto entriesInUse = [this] {
        int count = 0;
        for (int entry = TcpLink::firstConnection; entry <= TcpLink::lastConnection; ++entry)
            count += state.connectionTable[entry].inUse;
        return count;
    };
    if (!QTest::qWaitFor([&] { return entriesInUse() == deviceCount_; }, connectTimeoutMs))
        return fail(QStringLiteral("the simulated devices did not connect"));
    // The operator chooses the first device that connected in the server dialog.
    state.selectedConnection = TcpLink::firstConnection;
    state.tcpConnected = 1;
    return true;
}

bool LinkedDevice::startSerial() {
#ifndef ZEV_SIM_POSIX
    return fail(QStringLiteral("no simulated serial line on this platform"));
#else
    const bool rs485 = link_ == Link::Rs485;
    bus_ = rs485 ? std::make_unique<sim::SerialDeviceBus>(rs485Addresses_)
                 : std::make_unique<sim::SerialDeviceBus>();
    if (!bus_->open())
        return fail(bus_->errorString());
    if (!bus_->linkSlave(configFolder.filePath(QStringLiteral("COM1"))))
        return fail(QStringLiteral("cannot name the pseudo-terminal COM1"));
    state.interfaceKind = 0;
    state.rs485Mode = rs485 ? 1 : 0;
    state.comPortIndex = 0;
    serial.openSerialPort();
    if (!serial.isOpen() || !prompts.boxes.isEmpty())
        return fail(QStringLiteral("serial port: %1").arg(prompts.texts().join(", ")));
    return true;
#endif
}

bool LinkedDevice::fail(const QString& why) {
    error_ = why;
    return false;
}
