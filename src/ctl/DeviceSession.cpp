#include "ctl/DeviceSession.h"

#include "ctl/DeviceArguments.h"
#include "ctl/HostLookup.h"
#include "link/ConnectionChannel.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

namespace {

constexpr int settleMs = 100;

// "192.168.1.20:50211": a device of the server role, by its address and the port it called from.
QString peerName(const Connection& connection) {
    return QStringLiteral("%1:%2")
        .arg(QString::fromLatin1(connection.addressText.view()))
        .arg(connection.socket->peerPort());
}

} // namespace

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
        state.link.comDevicePaths[0] = choice.serialPath;
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
    QString name;
    if (choice.kind == LinkKind::TcpClient) {
        QString whyNot;
        const auto address = lookUpIpv4(choice.host, choice.waitSeconds, whyNot);
        if (!address)
            return QStringLiteral("cannot connect to %1: %2").arg(choice.host, whyNot);
        const quint32 value = address->toIPv4Address();
        state.link.hostAddresses[0] = {std::uint8_t(value >> 24), std::uint8_t(value >> 16),
                                       std::uint8_t(value >> 8), std::uint8_t(value)};
        state.link.hostCount = 1;
        state.link.selectedConnection = 0;
        name = QStringLiteral("%1:%2")
                   .arg(choice.host)
                   .arg(portFromText(state.link.portNumberText.view()));
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
    if (name.isEmpty()) {
        const auto& host = state.link.hostAddresses[std::size_t(state.link.selectedConnection)];
        name = QStringLiteral("%1.%2.%3.%4:%5")
                   .arg(host[0])
                   .arg(host[1])
                   .arg(host[2])
                   .arg(host[3])
                   .arg(portFromText(state.link.portNumberText.view()));
    }
    addDevice(name);
    return {};
}

QString DeviceSession::listen(const LinkChoice& choice) {
    // No device is the link's own target: each has a channel of its own.
    state.link.selectedConnection = -1;
    QHostAddress local(QHostAddress::AnyIPv4);
    if (!choice.host.isEmpty()) {
        QString whyNot;
        const auto address = lookUpIpv4(choice.host, choice.waitSeconds, whyNot);
        if (!address)
            return QStringLiteral("cannot listen on %1: %2").arg(choice.host, whyNot);
        local = *address;
    }
    if (!tcp_.startListening(local)) {
        return QStringLiteral("cannot listen on %1:%2: %3")
            .arg(local.toString(), choice.port, messages.texts().join(QStringLiteral(", ")));
    }
    waitForConnections(choice.devices, choice.waitSeconds);
    const int connected = tcp_.connectionCount();
    const QString counted = QStringLiteral("%1 of %2 devices connected within %3 s")
                                .arg(connected)
                                .arg(choice.devices)
                                .arg(choice.waitSeconds);
    if (connected == 0)
        return counted;
    if (connected < choice.devices)
        shortfall_ = counted;

    for (const int entry : chosenEntries(choice.targets)) {
        addDevice(peerName(tcp_.connectionTable()[std::size_t(entry)]), entry);
    }
    return {};
}

QList<int> DeviceSession::chosenEntries(const QStringList& targets) {
    const auto& table = tcp_.connectionTable();
    const auto inUse = [&table](int entry) { return table[std::size_t(entry)].inUse != 0; };
    QList<int> chosen;
    for (int entry = TcpLink::firstConnection; entry <= TcpLink::lastConnection; ++entry) {
        if (inUse(entry) && targets.isEmpty())
            chosen.append(entry);
    }
    missingTargets_.clear();
    for (const QString& wanted : targets) {
        int found = 0;
        for (int entry = TcpLink::firstConnection; entry <= TcpLink::lastConnection && !found;
             ++entry) {
            const Connection& connection = table[std::size_t(entry)];
            const bool byEntry = parseNumber(wanted, entry, entry).has_value();
            const bool byAddress = connection.addressText == QByteArrayView(wanted.toLatin1());
            const bool byPeer = inUse(entry) && wanted == peerName(connection);
            if (inUse(entry) && (byEntry || byAddress || byPeer))
                found = entry;
        }
        // A device named twice (by entry and by address) is driven once: its connection has
        // one channel, and a second would never see a reply.
        if (!found)
            missingTargets_.append(wanted);
        else if (!chosen.contains(found))
            chosen.append(found);
    }
    // In the order of their addresses and ports, not the order in which they happened to connect.
    const auto orderOf = [&table](int entry) {
        const QTcpSocket& socket = *table[std::size_t(entry)].socket;
        return std::pair{socket.peerAddress().toIPv4Address(), socket.peerPort()};
    };
    std::sort(chosen.begin(), chosen.end(),
              [&orderOf](int one, int other) { return orderOf(one) < orderOf(other); });
    return chosen;
}

// A device that connected and closed again (a port scan, a health check) stays in the table until
// its socket has been read, in a turn of the event loop after the one that accepted it, and one
// that closes a moment after it came is no device either. So the count is trusted only when it
// has held for settleMs and over a whole turn: the settle timer, started again from its own
// timeout, fires in a later turn at the soonest, after that turn has looked at every socket.
void DeviceSession::waitForConnections(int wanted, int seconds) {
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    int changes = 0;
    int changesAtSettle = -1;
    QTimer settle;
    settle.setSingleShot(true);
    connect(&settle, &QTimer::timeout, &loop, [&] {
        if (tcp_.connectionCount() < wanted)
            return;
        if (changesAtSettle == changes) {
            loop.quit();
            return;
        }
        changesAtSettle = changes;
        settle.start(settleMs);
    });
    connect(&tcp_, &TcpLink::connectionsChanged, &loop, [&] {
        ++changes;
        if (tcp_.connectionCount() >= wanted)
            settle.start(settleMs);
    });
    deadline.start(seconds * 1000);
    // The turn that ended the wait may have taken or lost connections after the settle timer,
    // which has then started again.
    do
        loop.exec();
    while (deadline.isActive() && (tcp_.connectionCount() < wanted || changes != changesAtSettle));
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
