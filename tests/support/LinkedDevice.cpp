#include "support/LinkedDevice.h"

#ifdef ZEV_SIM_POSIX
#include "sim/SerialDeviceBus.h"
#endif

#include <QSignalSpy>
#include <QTest>

QString LinkedDevice::start(Link link, const QList<int>& rs485Addresses) {
    state.running = 1;
    state.link.interfaceKind = InterfaceKind::Tcp;
    if (link == Link::TcpClient) {
        auto* server = new sim::TcpDeviceServer(&simulator_);
        devices = {server->device()};
        if (!server->listen())
            return server->errorString();
        state.link.tcpRole = TcpRole::Client;
        state.link.hostAddresses[0] = {127, 0, 0, 1};
        state.link.hostCount = 1;
        state.link.selectedConnection = 0;
        state.link.portNumberText.assign(QByteArray::number(server->serverPort()));
        QSignalSpy connected(&tcp, &TcpLink::clientConnected);
        if (!tcp.connectToDevice() || !connected.wait())
            return QStringLiteral("no connection to the simulated device");
    } else if (link == Link::TcpServer) {
        state.link.tcpRole = TcpRole::Server;
        state.link.portNumberText.assign(""); // any free port
        if (!tcp.startListening())
            return QStringLiteral("cannot listen");
        auto* clients = new sim::TcpDeviceClients(1, &simulator_);
        devices = {clients->device(0)};
        clients->connectToProgram(QStringLiteral("127.0.0.1"), tcp.listeningPort());
        if (!QTest::qWaitFor([&] { return tcp.connectionCount() != 0; }) ||
            !tcp.chooseTarget(TcpLink::firstConnection))
            return QStringLiteral("the simulated device did not connect");
    } else {
#ifdef ZEV_SIM_POSIX
        auto* bus = link == Link::Rs485 ? new sim::SerialDeviceBus(rs485Addresses, &simulator_)
                                        : new sim::SerialDeviceBus(&simulator_);
        for (int index = 0; index < bus->deviceCount(); ++index)
            devices.append(bus->device(index));
        if (!bus->open() || !bus->linkSlave(configFolder.filePath(QStringLiteral("COM1"))))
            return bus->errorString();
        state.link.interfaceKind = InterfaceKind::Serial;
        state.link.rs485Mode = bus->isRs485() ? Rs485Mode::Rs485 : Rs485Mode::Rs232c;
        serial.openSerialPort();
        return serial.isOpen() ? QString() : QStringLiteral("COM1 did not open");
#else
        Q_UNUSED(rs485Addresses);
        return QStringLiteral("no simulated serial line on this platform");
#endif
    }
    return {};
}
