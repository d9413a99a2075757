#include "ctl/DeviceSession.h"

#include "ctl/DeviceArguments.h"
#include "link/ConnectionChannel.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTimer>
#include <algorithm>

DeviceSession::DeviceSession(const ConfigFolder& folder, QObject* parent)
    : QObject(parent), folder_(folder), serial_(state, folder_) {
    state.running = 1;
    showFailuresOf(serial_, boxes);
    showFailuresOf(tcp_, boxes);
}

DeviceSession::~DeviceSession() = default;

QString DeviceSession::open(const LinkChoice& choice) {
    if (choice.kind != LinkKind::Settings) {
        state.link.interfaceKind =
            choice.kind == LinkKind::Serial ? InterfaceKind::Serial : InterfaceKind::Tcp;
        state.link.tcpRole = choice.kind == LinkKind::TcpServer ? TcpRole::Server : TcpRole::Client;
        state.link.rs485Mode = choice.rs485Mode;
        state.link.slaveAddress = choice.slaveAddress;
        state.link.comPortIndex = 0;
        state.link.portNumberText.assign(choice.port.toLatin1());
    }
    if (!state.link.isTcp())
        return openSerial();
    if (state.link.isServer())
        return listen(choice);
    return connectTcp(choice);
}

QString DeviceSession::openSerial() {
    serial_.openSerialPort();
    if (serial_.isOpen() && messages.texts().isEmpty()) {
        addDevice(serial_.devicePath());
        return {};
    }
    // A port that did not open fails every later step for the same reason: the first says it.
    const QStringList failures = messages.texts();
    return QStringLiteral("cannot open the serial port %1: %2")
        .arg(serial_.devicePath(),
             serial_.isOpen() ? failures.join(QStringLiteral(", ")) : failures.value(0));
}

QString DeviceSession::connectTcp(const LinkChoice& choice) {
    if (choice.kind == LinkKind::TcpClient) {
        const QHostAddress address(choice.host);
        if (address.protocol() != QAbstractSocket::IPv4Protocol)
            return QStringLiteral("not an IPv4 address: %1").arg(choice.host);
        const quint32 value = address.toIPv4Address();
        state.link.hostAddresses[0] = {std::uint8_t(value >> 24), std::uint8_t(value >> 16),
                                       std::uint8_t(value >> 8), std::uint8_t(value)};
        state.link.hostCount = 1;
        state.link.selectedConnection = 0;
    }
    QEventLoop loop;
    bool connected = false;
    connect(&tcp_, &TcpLink::clientConnected, &loop, [&] {
        connected = true;
        loop.quit();
    });
    messages.onMessage = [&] { loop.quit(); };
    QTimer::singleShot(choice.waitSeconds * 1000, &loop, &QEventLoop::quit);
    if (tcp_.connectToDevice() && messages.texts().isEmpty())
        loop.exec();
    messages.onMessage = nullptr;
    if (!connected) {
        const QString why = messages.texts().isEmpty()
                                ? QStringLiteral("no answer")
                                : messages.texts().join(QStringLiteral(", "));
        return QStringLiteral("cannot connect to the device: %1").arg(why);
    }
    const auto& host = state.link.hostAddresses[std::size_t(state.link.selectedConnection)];
    addDevice(QStringLiteral("%1.%2.%3.%4:%5")
                  .arg(host[0])
                  .arg(host[1])
                  .arg(host[2])
                  .arg(host[3])
                  .arg(portFromText(state.link.portNumberText.view())));
    return {};
}

QString DeviceSession::listen(const LinkChoice& choice) {
    // No device is the link's own target: each has a channel of its own.
    state.link.selectedConnection = -1;
    if (!tcp_.startListening())
        return QStringLiteral("cannot listen: %1").arg(messages.texts().join(QStringLiteral(", ")));
    QEventLoop loop;
    connect(&tcp_, &TcpLink::connectionsChanged, &loop, [&] {
        if (tcp_.connectionCount() >= choice.devices)
            loop.quit();
    });
    QTimer::singleShot(choice.waitSeconds * 1000, &loop, &QEventLoop::quit);
    if (tcp_.connectionCount() < choice.devices)
        loop.exec();
    if (tcp_.connectionCount() == 0)
        return QStringLiteral("no device connected within %1 s").arg(choice.waitSeconds);

    missingTargets_.clear();
    auto nameOf = [this](int entry) {
        return QStringLiteral("%1 %2").arg(entry).arg(
            QString::fromLatin1(tcp_.connectionTable()[std::size_t(entry)].addressText.view()));
    };
    auto inUse = [this](int entry) {
        return tcp_.connectionTable()[std::size_t(entry)].inUse != 0;
    };
    if (choice.targets.isEmpty()) {
        for (int entry = TcpLink::firstConnection; entry <= TcpLink::lastConnection; ++entry) {
            if (inUse(entry))
                addDevice(nameOf(entry), entry);
        }
    }
    for (const QString& wanted : choice.targets) {
        int found = 0;
        for (int entry = TcpLink::firstConnection; entry <= TcpLink::lastConnection && !found;
             ++entry) {
            const bool byEntry = parseNumber(wanted, entry, entry).has_value();
            const bool byAddress = tcp_.connectionTable()[std::size_t(entry)].addressText ==
                                   QByteArrayView(wanted.toLatin1());
            if (inUse(entry) && (byEntry || byAddress))
                found = entry;
        }
        // A device named twice (by entry and by address) is driven once: its connection has
        // one channel, and a second would never see a reply.
        const bool listed =
            std::any_of(devices_.begin(), devices_.end(),
                        [found](const auto& device) { return device->connection == found; });
        if (!found)
            missingTargets_.append(wanted);
        else if (!listed)
            addDevice(nameOf(found), found);
    }
    return {};
}

void DeviceSession::addDevice(const QString& name, int connection) {
    devices_.push_back(std::make_unique<TargetDevice>(
        name, connection, state.link, serial_, tcp_,
        connection == 0 ? nullptr : tcp_.openConnectionChannel(connection)));
}

void DeviceSession::waitForDevices() {
    const auto allSettled = [this] {
        return std::all_of(devices_.begin(), devices_.end(),
                           [](const auto& device) { return device->isSettled(); });
    };
    QEventLoop loop;
    for (const auto& device : devices_) {
        connect(device.get(), &TargetDevice::settled, &loop, [&] {
            if (allSettled())
                loop.quit();
        });
    }
    if (!allSettled())
        loop.exec();
}
