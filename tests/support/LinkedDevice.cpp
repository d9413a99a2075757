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

LinkedDevice::LinkedDevice(Link link, const QList<int>& rs485Addresses)
    : serial(state, boxes, ConfigFolder(configFolder.path())), link_(link),
      rs485Addresses_(rs485Addresses) {
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
        error_ = QStringLiteral("no temporary folder");
    else
        error_ = link_ == Link::TcpClient || link_ == Link::TcpServer ? startTcp() : startSerial();
    return error_.isEmpty();
}

sim::Device* LinkedDevice::device() const {
    if (server_)
        return server_->device();
    if (clients_)
        return clients_->device(0);
#ifdef ZEV_SIM_POSIX
    if (bus_)
        return bus_->device(0);
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

QString LinkedDevice::startTcp() {
    state.interfaceKind = 1;
    if (link_ == Link::TcpClient) {
        server_ = std::make_unique<sim::TcpDeviceServer>();
        if (!server_->listen())
            return QStringLiteral("listen: %1").arg(server_->errorString());
        state.tcpRole = 0;
        state.hostAddresses[0] = {127, 0, 0, 1};
        state.hostCount = 1;
        state.selectedConnection = 0;
        state.portNumberText.assign(QByteArray::number(server_->serverPort()));
        QSignalSpy connected(&tcp, &TcpLink::clientConnected);
        if (!tcp.connectToDevice() || !connected.wait(connectTimeoutMs))
            return QStringLiteral("no connection to the simulated device");
    } else {
        state.tcpRole = 1;
        state.portNumberText.assign(""); // any free port
        if (!tcp.startListening())
            return QStringLiteral("cannot listen");
        clients_ = std::make_unique<sim::TcpDeviceClients>(1);
        clients_->connectToProgram(QStringLiteral("127.0.0.1"), tcp.listeningPort());
        const auto& first = state.connectionTable[TcpLink::firstConnection];
        if (!QTest::qWaitFor([&] { return first.inUse != 0; }, connectTimeoutMs))
            return QStringLiteral("the simulated device did not connect");
        // The operator chooses the device in the server dialog.
        state.selectedConnection = TcpLink::firstConnection;
    }
    state.tcpConnected = 1; // as the connection dialogs mark a completed connect
    return {};
}

QString LinkedDevice::startSerial() {
#ifndef ZEV_SIM_POSIX
    return QStringLiteral("no simulated serial line on this platform");
#else
    const bool rs485 = link_ == Link::Rs485;
    bus_ = rs485 ? std::make_unique<sim::SerialDeviceBus>(rs485Addresses_)
                 : std::make_unique<sim::SerialDeviceBus>();
    if (!bus_->open())
        return QStringLiteral("pseudo-terminal: %1").arg(bus_->errorString());
    if (!bus_->linkSlave(configFolder.filePath(QStringLiteral("COM1"))))
        return QStringLiteral("cannot name the pseudo-terminal COM1");
    state.interfaceKind = 0;
    state.rs485Mode = rs485 ? 1 : 0;
    state.comPortIndex = 0;
    serial.openSerialPort();
    if (!serial.isOpen() || !prompts.boxes.isEmpty())
        return QStringLiteral("serial port: %1").arg(prompts.texts().join(", "));
    return {};
#endif
}
