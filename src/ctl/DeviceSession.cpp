#include "ctl/DeviceSession.h"

#include "ctl/DeviceArguments.h"

#include <QHostAddress>

namespace {

constexpr int drainCheckMs = 10; // how often the wait looks whether the line has sent it all

struct ReplyCode {
    const char* code;
    const char* meaning;
};

// The refusals and errors a device answers with, and what they mean to the operator.
constexpr ReplyCode refusals[] = {
    {"GN", "refused: mode difference or automatic switching"},
    {"MENU", "refused: the device shows its menu"},
    {"E0", "framing error"},
    {"E1", "parity error"},
    {"E2", "overrun error"},
    {"E3", "command error"},
};

} // namespace

ExchangeResult classifyReply(const QByteArray& reply) {
    ExchangeResult result;
    result.reply = reply;
    result.outcome = Outcome::Ok;
    for (const auto& refusal : refusals) {
        if (reply.startsWith(refusal.code)) {
            result.outcome = Outcome::DeviceError;
            result.meaning = QString::fromLatin1(refusal.meaning);
        }
    }
    return result;
}

DeviceSession::DeviceSession(const ConfigFolder& folder, QObject* parent)
    : QObject(parent), folder_(folder), serial_(state, folder_),
      sender_(state, document, boxes, serial_, tcp_) {
    state.running = 1;
    showFailuresOf(serial_, boxes);
    showFailuresOf(tcp_, boxes);
    connect(&sender_.replies(), &ReplyHandler::replyHandled, this,
            [this](const QByteArray& line) { replyHandled(line); });
    messages.onMessage = [this] { endWaitWhenOver(); };
    drainTimer_.setTimerType(Qt::PreciseTimer);
    drainTimer_.setInterval(drainCheckMs);
    connect(&drainTimer_, &QTimer::timeout, this, &DeviceSession::endWaitWhenOver);
}

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
    selectedName_ = serial_.devicePath();
    if (serial_.isOpen() && messages.texts().isEmpty()) {
        targets_ = {Target{selectedName_, 0}};
        return {};
    }
    return QStringLiteral("cannot open the serial port %1: %2")
        .arg(serial_.devicePath(), messages.texts().join(QStringLiteral(", ")));
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
    messages.onMessage = [this] { endWaitWhenOver(); };
    if (!connected) {
        const QString why = messages.texts().isEmpty()
                                ? QStringLiteral("no answer")
                                : messages.texts().join(QStringLiteral(", "));
        return QStringLiteral("cannot connect to the device: %1").arg(why);
    }
    const auto& host = state.link.hostAddresses[std::size_t(state.link.selectedConnection)];
    selectedName_ = QStringLiteral("%1.%2.%3.%4:%5")
                        .arg(host[0])
                        .arg(host[1])
                        .arg(host[2])
                        .arg(host[3])
                        .arg(portFromText(state.link.portNumberText.view()));
    targets_ = {Target{selectedName_, 0}};
    return {};
}

QString DeviceSession::listen(const LinkChoice& choice) {
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

    targets_.clear();
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
                targets_.append(Target{nameOf(entry), entry});
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
        if (found)
            targets_.append(Target{nameOf(found), found});
        else
            missingTargets_.append(wanted);
    }
    return {};
}

QList<DeviceSession::Target> DeviceSession::targets() const {
    return targets_;
}

void DeviceSession::select(const Target& target) {
    selectedName_ = target.name;
    // As the server dialog chooses a device; one that has left meanwhile is no target, and the
    // command fails rather than reach another device.
    if (state.link.isTcp() && state.link.isServer()) {
        state.link.selectedConnection = target.connection;
        tcp_.chooseTarget(target.connection);
    }
}

ExchangeResult DeviceSession::exchange(const QByteArray& line) {
    messages.clear();
    reply_.reset();
    QEventLoop loop;
    wait_ = &loop;
    if (!state.link.isTcp())
        drainTimer_.start();
    sender_.send(line);
    if (!reply_ && isWaiting())
        loop.exec();
    wait_ = nullptr;
    drainTimer_.stop();

    ExchangeResult result;
    if (reply_ && reply_->isEmpty()) {
        result.outcome = Outcome::DeviceError;
        result.meaning = QStringLiteral("a line too long to be a reply");
    } else if (reply_) {
        QByteArray reply = *reply_;
        while (reply.endsWith('\n') || reply.endsWith('\r'))
            reply.chop(1);
        result = classifyReply(reply);
    } else if (!state.link.isTcp() && state.link.isRs485() &&
               state.link.slaveAddress >= LinkConfiguration::broadcastAddress) {
        result.outcome = Outcome::Ok; // a broadcast is never answered
    }
    result.messages = messages.texts();
    return result;
}

void DeviceSession::replyHandled(QByteArray line) {
    if (!wait_ || reply_)
        return;
    if (!state.link.isTcp() && state.link.isRs485())
        line = line.mid(2); // the answering device's address
    reply_ = line;
    wait_->quit();
}

void DeviceSession::endWaitWhenOver() {
    if (wait_ && !isWaiting())
        wait_->quit();
}

bool DeviceSession::isWaiting() const {
    // A line that has arrived ends the sender's wait before it is interpreted.
    if (sender_.hasLinesToInterpret())
        return true;
    if (state.link.isTcp())
        return sender_.isAwaitingTcpReply();
    // A broadcast gets no reply, but zevctl must not close the port before the line has left:
    // the serial link's own write time-out bounds this wait.
    return sender_.exchange().replyPending != 0 || serial_.pendingOutput() > 0;
}
