#include "app/StatusBar.h"

#include "app/ElidedLabel.h"
#include "app/ViewTexts.h"
#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "protocol/CommandSender.h"

#include <QFrame>
#include <QHostAddress>
#include <QTcpSocket>

namespace {

// The part's label: its text is what the operator reads, the description says which part it is.
ElidedLabel* partLabel(const char* name, const QString& description, QWidget* parent) {
    auto* label = new ElidedLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setAccessibleDescription(description);
    label->setContentsMargins(4, 0, 4, 0);
    return label;
}

// The line between two parts: without it the texts of neighbouring parts read as one.
QFrame* partSeparator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    return line;
}

// The client's device: the one it is connected or connecting to, else the host chosen.
QString clientPeer(const TcpLink& tcp, const LinkConfiguration& link) {
    if (const QString peer = tcp.peerName(); !peer.isEmpty())
        return peer;
    const int host = link.selectedConnection;
    if (host < 0 || host >= std::min(link.hostCount, LinkConfiguration::hostCapacity))
        return {};
    const HostAddress& octets = link.hostAddresses[std::size_t(host)];
    return QStringLiteral("%1.%2.%3.%4:%5")
        .arg(octets[0])
        .arg(octets[1])
        .arg(octets[2])
        .arg(octets[3])
        .arg(portFromText(link.portNumberText.view()));
}

// The server's chosen device, "127.0.0.1:40000": several devices may share an address.
QString serverTarget(const TcpLink& tcp, const LinkConfiguration& link) {
    const int entry = link.selectedConnection;
    if (entry < TcpLink::firstConnection || entry > TcpLink::lastConnection)
        return {};
    const Connection& connection = tcp.connectionTable()[std::size_t(entry)];
    if (connection.inUse == 0 || connection.socket == nullptr)
        return {};
    return QStringLiteral("%1:%2")
        .arg(QString::fromLatin1(connection.addressText.view()))
        .arg(connection.socket->peerPort());
}

} // namespace

StatusBar::StatusBar(const AppState& state, const SettingsDocument& document,
                     const SerialLink& serial, const TcpLink& tcp, CommandSender& sender,
                     QWidget* parent)
    : QStatusBar(parent), state_(state), document_(document), serial_(serial), tcp_(tcp),
      exchangeLabel_(partLabel("exchangeLabel", StatusPart::exchange, this)),
      linkLabel_(partLabel("linkLabel", StatusPart::link, this)),
      stateLabel_(partLabel("linkStateLabel", StatusPart::state, this)),
      documentLabel_(partLabel("documentLabel", StatusPart::document, this)),
      exchangeSeparator_(partSeparator(this)) {
    setObjectName(QStringLiteral("statusBar"));
    setSizeGripEnabled(false); // the window keeps its size
    // The state, the last exchange and the file name take the width of their texts; the link,
    // which the operator has chosen and knows, takes what is left, and is cut short first.
    linkLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    linkLabel_->setMinimumWidth(linkLabel_->minimumSizeHint().width());
    addPermanentWidget(linkLabel_, 1);
    addPermanentWidget(partSeparator(this));
    addPermanentWidget(stateLabel_);
    addPermanentWidget(exchangeSeparator_);
    addPermanentWidget(exchangeLabel_);
    addPermanentWidget(partSeparator(this));
    addPermanentWidget(documentLabel_);
    // Nothing sent yet.
    exchangeSeparator_->hide();
    exchangeLabel_->hide();

    connect(&serial, &LineChannel::stateChanged, this, &StatusBar::showLink);
    connect(&tcp, &LineChannel::stateChanged, this, &StatusBar::showLink);
    connect(&tcp, &TcpLink::connectionsChanged, this, &StatusBar::showLink);
    connect(&tcp, &TcpLink::tcpConnectedChanged, this, &StatusBar::showLink);
    connect(&sender, &CommandSender::exchangeStarted, this, &StatusBar::showExchange);
    connect(&sender, &CommandSender::exchangeFinished, this, &StatusBar::showExchange);
    connect(&sender.replyBoxes(), &ReplyBoxes::successInsteadOfBox, this,
            &StatusBar::showSuccessLine);
    recordsTimer_.setInterval(recordsInterval);
    connect(&recordsTimer_, &QTimer::timeout, this, &StatusBar::followRecords);
    recordsTimer_.start();
    refresh();
}

QSize StatusBar::sizeHint() const {
    return {0, QStatusBar::sizeHint().height()};
}

void StatusBar::refresh() {
    showLink();
    showDocument();
}

void StatusBar::showLink() {
    const LinkConfiguration& link = state_.link;
    shown_.interfaceKind = link.interfaceKind;
    shown_.tcpRole = link.tcpRole;
    shown_.rs485Mode = link.rs485Mode;
    shown_.comPortIndex = link.comPortIndex;
    shown_.selectedConnection = link.selectedConnection;
    shown_.hostCount = link.hostCount;
    shown_.portNumberText = link.portNumberText.toByteArray();

    if (!link.isTcp()) {
        linkLabel_->setElidedText(
            serialLinkText(link.comPortIndex, serial_.devicePath(), link.rs485Mode));
        stateLabel_->setElidedText(
            linkStateText(serial_.state(), link.interfaceKind, link.tcpRole, 0, {}));
        return;
    }
    const bool server = link.isServer();
    linkLabel_->setElidedText(
        server ? tcpServerLinkText(tcp_.isListening() ? tcp_.listeningPort()
                                                      : portFromText(link.portNumberText.view()))
               : tcpClientLinkText(clientPeer(tcp_, link)));
    stateLabel_->setElidedText(linkStateText(tcp_.state(), link.interfaceKind, link.tcpRole,
                                             tcp_.connectionCount(), serverTarget(tcp_, link)));
}

void StatusBar::showDocument() {
    shown_.documentPath = document_.documentPath.toByteArray();
    shown_.documentModified = document_.documentModified;
    documentLabel_->setElidedText(documentText(document_), documentToolTip(document_));
}

void StatusBar::showExchange(const Exchange& exchange) {
    acceptedLine_ = exchange.outcome == ExchangeOutcome::Accepted ? exchange.line : QByteArray();
    QString details = QString::fromLatin1(exchange.line.trimmed());
    if (!exchange.reply.isEmpty())
        details += QStringLiteral(" → ") + QString::fromLatin1(exchange.reply.trimmed());
    if (!exchange.detail.isEmpty())
        details += QLatin1Char('\n') + exchange.detail;
    exchangeLabel_->setElidedText(exchangeText(exchange), details);
    exchangeSeparator_->show();
    exchangeLabel_->show();
}

// The "GO" that would have opened the box follows at once the end of the exchange it answers;
// the exchange's details stay in the tooltip.
void StatusBar::showSuccessLine(const QString& boxText) {
    exchangeLabel_->setElidedText(
        successLineText(QDateTime::currentDateTime(), acceptedLine_, boxText),
        exchangeLabel_->toolTip());
    acceptedLine_.clear();
}

void StatusBar::followRecords() {
    const LinkConfiguration& link = state_.link;
    if (link.interfaceKind != shown_.interfaceKind || link.tcpRole != shown_.tcpRole ||
        link.rs485Mode != shown_.rs485Mode || link.comPortIndex != shown_.comPortIndex ||
        link.selectedConnection != shown_.selectedConnection ||
        link.hostCount != shown_.hostCount || link.portNumberText.view() != shown_.portNumberText)
        showLink();
    if (document_.documentModified != shown_.documentModified ||
        document_.documentPath.view() != shown_.documentPath)
        showDocument();
}
