#include "link/TcpLink.h"

#include "core/LinkConfiguration.h"
#include "link/ConnectionChannel.h"
#include "link/TrafficLog.h"

#include <QHostAddress>
#include <QSignalBlocker>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>

namespace {

// The numbered messages carry QAbstractSocket::SocketError, the error Qt reports for every
// platform alike.
const QString socketFailedText = QStringLiteral("WINSOCK.DLLが動作していません。[%1]");
const QString connectFailedText = QStringLiteral("接続できません");
const QString bindFailedText = QStringLiteral("Bindできません");
const QString listenFailedText = QStringLiteral("WINSOCK.DLLの listen() からのエラー。[%1]");
const QString acceptFailedText = QStringLiteral("WINSOCK.DLLの accept() からのエラー。[%1]");
const QString socketEventErrorText = QStringLiteral("ソケットイベントにエラーが発生しました。");

QByteArray dottedAddress(const QHostAddress& address) {
    bool isIpv4 = false;
    const quint32 ipv4 = address.toIPv4Address(&isIpv4);
    return (isIpv4 ? QHostAddress(ipv4) : address).toString().toLatin1();
}

// "192.168.1.10:9004".
QString peerText(const QTcpSocket& socket) {
    return QStringLiteral("%1:%2")
        .arg(QString::fromLatin1(dottedAddress(socket.peerAddress())))
        .arg(socket.peerPort());
}

// The connection's name in the traffic log, built once when it is made.
QByteArray trafficName(const QByteArray& address, quint16 port) {
    return "tcp " + address + ':' + QByteArray::number(port);
}

// Why a port could not be listened on.
QString bindFailureDetail(QAbstractSocket::SocketError error, const QHostAddress& address,
                          quint16 port, const QString& systemText) {
    switch (error) {
    case QAbstractSocket::SocketAddressNotAvailableError:
        return QStringLiteral("%1 はこのコンピューターのアドレスではありません。")
            .arg(address.toString());
    case QAbstractSocket::AddressInUseError:
        return QStringLiteral("ポート %1 は他のプログラムが使っています。").arg(port);
    case QAbstractSocket::SocketAccessError:
        return QStringLiteral("ポート %1 を使う権限がありません。").arg(port);
    default:
        return QStringLiteral("ポート %1: %2").arg(QString::number(port), systemText);
    }
}

// Why a socket in use failed, and with whom ("192.168.1.10:9004").
QString socketFailureDetail(QAbstractSocket::SocketError error, const QString& peer,
                            const QString& systemText) {
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("%1 が接続を拒否しました（そのポートで待ち受けていません）。")
            .arg(peer);
    case QAbstractSocket::NetworkError:
        return QStringLiteral("%1 に届きません（ネットワークに到達できません）。").arg(peer);
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("%1 から応答がないまま時間切れになりました。").arg(peer);
    default:
        return QStringLiteral("%1: %2").arg(peer, systemText);
    }
}

// Closes at once: no further events of the socket reach the link, and it goes with the next
// turn of the event loop (it may be the sender of the signal being handled).
void discardSocket(QTcpSocket* socket, QObject* receiver) {
    socket->disconnect(receiver);
    socket->abort();
    socket->deleteLater();
}

} // namespace

quint16 portFromText(QByteArrayView text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    // Counted in 16 bits from the start: the same port as the whole number cut to 16 bits.
    quint16 value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = quint16(value * 10 + (text[i] - '0'));
    return value;
}

TcpLink::TcpLink(LinkConfiguration& link, QObject* parent) : TcpChannel(parent), link_(link) {
    readAgain_.setSingleShot(true);
    connect(&readAgain_, &QTimer::timeout, this, [this] {
        if (QTcpSocket* target = targetSocket())
            readReceived(target);
    });
}

TcpLink::~TcpLink() {
    const QSignalBlocker quiet(this);
    closeAllSockets();
}

bool TcpLink::connectToDevice() {
    closeClientSocket(); // a new connect replaces the socket of an earlier one
    const quint16 port = portFromText(link_.portNumberText.view());
    const int host = link_.selectedConnection;
    if (host < 0 || host >= LinkConfiguration::hostCapacity) {
        setTcpConnected(false);
        reportFailure(connectFailedText);
        return false;
    }
    const auto& octets = link_.hostAddresses[std::size_t(host)];
    const QHostAddress address{quint32(octets[0]) << 24 | quint32(octets[1]) << 16 |
                               quint32(octets[2]) << 8 | quint32(octets[3])};
    // 0.0.0.0 names no host to connect to; Linux would take it for this computer.
    if (address == QHostAddress(QHostAddress::AnyIPv4)) {
        setTcpConnected(false);
        reportFailure(connectFailedText);
        return false;
    }

    client_ = new QTcpSocket(this);
    clientPeer_ = QStringLiteral("%1:%2").arg(address.toString()).arg(port);
    trafficNames_.insert(client_, trafficName(address.toString().toLatin1(), port));
    watchSocket(client_);
    // The connected step: usable from now on, whether or not the client dialog is still open.
    connect(client_, &QTcpSocket::connected, this, [this] {
        enableKeepAlive(*client_, keepAlive_);
        setTcpConnected(true);
        emit clientConnected();
    });
    connecting_ = true;
    client_->connectToHost(address, port);
    connecting_ = false;
    if (client_->state() != QAbstractSocket::UnconnectedState) {
        updateState();
        return true;
    }

    // Failed before it got under way; a refusal by the host arrives later as a socket error.
    const QAbstractSocket::SocketError error = client_->error();
    closeClientSocket();
    setTcpConnected(false);
    if (error == QAbstractSocket::SocketResourceError)
        reportFailure(socketFailedText, error);
    else
        reportFailure(connectFailedText);
    return false;
}

bool TcpLink::disconnectFromDevice() {
    if (!tcpConnected_)
        return false;
    closeAllSockets();
    return true;
}

bool TcpLink::startListening(const QHostAddress& address) {
    if (isListening())
        return true;
    const quint16 port = portFromText(link_.portNumberText.view());
    server_ = new QTcpServer(this);
    connect(server_, &QTcpServer::newConnection, this, &TcpLink::acceptConnection);
    connect(server_, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError error) {
        reportAfterEvent(Failure::Network, acceptFailedText.arg(error), {});
        // Qt stops accepting after such an error; the next device is tried again, as before.
        if (server_)
            server_->resumeAccepting();
    });
    // Room for all devices calling at once (a fleet powering up), so that none waits for a retry.
    server_->setListenBacklogSize(lastConnection);
    if (server_->listen(address, port)) {
        updateState();
        return true;
    }

    const QAbstractSocket::SocketError error = server_->serverError();
    const QString systemText = server_->errorString();
    delete server_; // a later start begins afresh
    server_ = nullptr;
    switch (error) {
    case QAbstractSocket::AddressInUseError:
    case QAbstractSocket::SocketAccessError:
    case QAbstractSocket::SocketAddressNotAvailableError:
        emit errorOccurred(Failure::Network, bindFailedText,
                           bindFailureDetail(error, address, port, systemText));
        break;
    case QAbstractSocket::SocketResourceError:
        reportFailure(socketFailedText, error);
        break;
    default:
        reportFailure(listenFailedText, error);
        break;
    }
    return false;
}

bool TcpLink::chooseTarget(int entry) {
    if (connectionCount() == 0) {
        link_.selectedConnection = LinkConfiguration::noConnection;
        return false;
    }
    if (entry < firstConnection || entry > lastConnection ||
        connectionTable_[std::size_t(entry)].inUse == 0)
        return false;
    link_.selectedConnection = entry;
    setTcpConnected(true);
    return true;
}

void TcpLink::stopServer() {
    link_.selectedConnection = LinkConfiguration::noConnection;
    closeAllSockets();
}

void TcpLink::acceptConnection() {
    // Every waiting device is taken now: Qt queues only a limited number of them.
    while (server_ && server_->hasPendingConnections()) {
        QTcpSocket* socket = server_->nextPendingConnection();
        if (link_.listedHostsOnly && !isListedHost(socket->peerAddress())) {
            qCWarning(zevTraffic).noquote()
                << QString::fromLatin1(
                       trafficName(dottedAddress(socket->peerAddress()), socket->peerPort()))
                << "refused: not in the host list";
            discardSocket(socket, this);
            continue;
        }
        auto& table = connectionTable_;
        const auto free = std::find_if(table.begin() + firstConnection, table.end(),
                                       [](const Connection& entry) { return entry.inUse == 0; });
        if (free == table.end()) {
            discardSocket(socket, this);
            continue;
        }
        socket->setParent(this);
        enableKeepAlive(*socket, keepAlive_);
        trafficNames_.insert(socket,
                             trafficName(dottedAddress(socket->peerAddress()), socket->peerPort()));
        watchSocket(socket);
        free->inUse = 1;
        free->socket = socket;
        free->addressText.assign(dottedAddress(socket->peerAddress()));
        emit connectionsChanged();
    }
}

bool TcpLink::isListedHost(const QHostAddress& address) const {
    bool isIpv4 = false;
    const quint32 peer = address.toIPv4Address(&isIpv4);
    const int count = std::clamp(link_.hostCount, 0, LinkConfiguration::hostCapacity);
    return isIpv4 && std::any_of(link_.hostAddresses.begin(), link_.hostAddresses.begin() + count,
                                 [peer](const HostAddress& host) {
                                     return (quint32(host[0]) << 24 | quint32(host[1]) << 16 |
                                             quint32(host[2]) << 8 | quint32(host[3])) == peer;
                                 });
}

void TcpLink::closeConnection(QTcpSocket* socket) {
    if (socket == nullptr)
        return;
    // The device closed the connection, or it failed: the operator sees the client dialog's
    // connect button again and may leave without disconnecting first.
    if (socket == client_) {
        closeClientSocket();
        setTcpConnected(false, QStringLiteral("%1 との接続が切れました。").arg(clientPeer_));
        return;
    }
    const QString peer = peerText(*socket);
    discardSocket(socket, this);
    channels_.remove(socket);
    trafficNames_.remove(socket);
    const int entry = findConnection(socket);
    if (entry == LinkConfiguration::noConnection)
        return;
    Connection& connection = connectionTable_[std::size_t(entry)];
    connection.inUse = 0;
    connection.socket = nullptr;
    connection.addressText.assign(" ");
    // The chosen device is gone: commands must not silently reach a device that connects later
    // and takes its entry. The link is not connected until the operator chooses again.
    if (link_.tcpRole == TcpRole::Server && entry == link_.selectedConnection) {
        link_.selectedConnection = LinkConfiguration::noConnection;
        setTcpConnected(false, QStringLiteral("%1 との接続が切れました。").arg(peer));
    }
    emit connectionsChanged();
}

void TcpLink::closeAllSockets() {
    closeClientSocket();
    if (server_) {
        server_->close();
        server_->deleteLater();
        server_ = nullptr;
    }
    resetConnectionTable();
}

void TcpLink::resetConnectionTable() {
    for (Connection& connection : connectionTable_) {
        // No socket may outlive its entry unseen.
        if (connection.socket != nullptr) {
            discardSocket(connection.socket, this);
            trafficNames_.remove(connection.socket);
        }
        connection = Connection{};
    }
    channels_.clear();
    setTcpConnected(false);
    updateState();
    emit connectionsChanged();
}

int TcpLink::findConnection(const QTcpSocket* socket) const {
    const auto& table = connectionTable_;
    const auto found = std::find_if(
        table.begin() + firstConnection, table.end(),
        [socket](const Connection& entry) { return entry.inUse != 0 && entry.socket == socket; });
    return found == table.end() ? LinkConfiguration::noConnection : int(found - table.begin());
}

std::unique_ptr<ConnectionChannel> TcpLink::openConnectionChannel(int entry) {
    if (entry < firstConnection || entry > lastConnection ||
        connectionTable_[std::size_t(entry)].inUse == 0)
        return nullptr;
    QTcpSocket* socket = connectionTable_[std::size_t(entry)].socket;
    auto channel = std::make_unique<ConnectionChannel>(socket, trafficNames_.value(socket));
    channels_.insert(socket, channel.get());
    return channel;
}

bool TcpLink::sendToTarget(const QByteArray& bytes) {
    QTcpSocket* socket = targetSocket();
    if (socket == nullptr || socket->state() != QAbstractSocket::ConnectedState)
        return false;
    logTraffic(trafficNames_.value(socket), TrafficDirection::Sent, bytes);
    return socket->write(bytes) == bytes.size();
}

std::optional<QByteArray> TcpLink::takeLine() {
    auto line = assembler_.takeLine();
    // What the socket held back while the lines were not taken, at the next turn.
    if (line && targetSocket() != nullptr && assembler_.canReadMore(*targetSocket()))
        readAgain_.start();
    return line;
}

qint64 TcpLink::heldInput() const {
    const QTcpSocket* target = targetSocket();
    return assembler_.heldLength() + assembler_.pendingLength() +
           (target != nullptr ? target->bytesAvailable() : 0);
}

int TcpLink::connectionCount() const {
    return int(std::count_if(connectionTable_.begin() + firstConnection, connectionTable_.end(),
                             [](const Connection& entry) { return entry.inUse != 0; }));
}

std::optional<QByteArray> TcpLink::chosenAddressText() const {
    const int entry = link_.selectedConnection;
    if (entry == LinkConfiguration::noConnection)
        return std::nullopt;
    if (entry < 0 || entry >= connectionCapacity)
        return QByteArray();
    return connectionTable_[std::size_t(entry)].addressText.toByteArray();
}

bool TcpLink::isListening() const {
    return server_ != nullptr && server_->isListening();
}

quint16 TcpLink::listeningPort() const {
    return isListening() ? server_->serverPort() : 0;
}

QTcpSocket* TcpLink::targetSocket() const {
    if (link_.tcpRole != TcpRole::Server)
        return client_;
    const int entry = link_.selectedConnection;
    if (entry < firstConnection || entry > lastConnection)
        return nullptr;
    const Connection& connection = connectionTable_[std::size_t(entry)];
    return connection.inUse != 0 ? connection.socket : nullptr;
}

void TcpLink::setTcpConnected(bool connected, const QString& why) {
    if (tcpConnected_ == connected)
        return;
    tcpConnected_ = connected;
    updateState();
    emit tcpConnectedChanged(connected);
    if (!connected)
        emit lost(why.isEmpty() ? QStringLiteral("接続を切りました。") : why);
}

void TcpLink::updateState() {
    if (tcpConnected_)
        setState(LinkState::Connected);
    else if (isListening())
        setState(LinkState::Listening);
    else if (client_ != nullptr)
        setState(LinkState::Opening);
    else
        setState(LinkState::Closed);
}

QString TcpLink::peerName() const {
    if (client_ != nullptr)
        return clientPeer_;
    if (!isListening())
        return {};
    const QString listening = QStringLiteral(":%1").arg(listeningPort());
    const auto chosen = chosenAddressText();
    return chosen && tcpConnected_
               ? QString::fromLatin1(*chosen) + QStringLiteral(" (") + listening + QLatin1Char(')')
               : listening;
}

void TcpLink::watchSocket(QTcpSocket* socket) {
    // While the program does not take lines (a box is open) the socket stops reading beyond
    // this, and the operating system holds the device back.
    socket->setReadBufferSize(ReplyLineAssembler::holdLimit);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readReceived(socket); });
    connect(
        socket, &QTcpSocket::errorOccurred, this,
        [this, socket](QAbstractSocket::SocketError error) { handleSocketError(socket, error); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { closeConnection(socket); });
}

void TcpLink::readReceived(QTcpSocket* socket) {
    if (socket != targetSocket()) {
        if (ConnectionChannel* channel = channels_.value(socket))
            channel->readReceived();
        else
            socket->readAll(); // a device that is not the target has nothing to say to us
        return;
    }
    // No more than the held lines leave room for; the rest waits in the socket and the system.
    const QList<QByteArray> lines = assembler_.readFrom(*socket);
    if (assembler_.canReadMore(*socket))
        readAgain_.start();
    const QByteArray name = trafficNames_.value(socket);
    for (const QByteArray& line : lines) {
        logTraffic(name, TrafficDirection::Received, line);
        emit lineReceived();
    }
}

void TcpLink::handleSocketError(QTcpSocket* socket, QAbstractSocket::SocketError error) {
    // The device closing its end is the close event (disconnected follows), not a failure;
    // errors inside connectToDevice are reported there.
    if (error == QAbstractSocket::RemoteHostClosedError || (connecting_ && socket == client_))
        return;
    const QString peer = socket == client_ ? clientPeer_ : peerText(*socket);
    const QString detail = socketFailureDetail(error, peer, socket->errorString());
    // Closed before the box is shown: while it is open the socket must not be used again.
    closeConnection(socket);
    reportAfterEvent(Failure::SocketEvent, socketEventErrorText, detail);
}

void TcpLink::closeClientSocket() {
    if (client_ == nullptr)
        return;
    discardSocket(client_, this);
    trafficNames_.remove(client_);
    client_ = nullptr;
    updateState();
}

void TcpLink::reportFailure(const QString& text) {
    emit errorOccurred(Failure::Network, text, {});
}

void TcpLink::reportFailure(const QString& text, int errorNumber) {
    emit errorOccurred(Failure::Network, text.arg(errorNumber), {});
}

// A box shown from inside a socket's or the server's handler would run the event loop with that
// handler on the stack, where the socket may be closed and deleted: the report waits until the
// handler has returned.
void TcpLink::reportAfterEvent(Failure failure, const QString& text, const QString& detail) {
    QMetaObject::invokeMethod(
        this, [this, failure, text, detail] { emit errorOccurred(failure, text, detail); },
        Qt::QueuedConnection);
}
