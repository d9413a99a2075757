#pragma once

#include "core/AppState.h"
#include "ctl/MessageLog.h"
#include "document/SettingsDocument.h"
#include "link/ConfigFolder.h"
#include "link/SerialLink.h"
#include "link/TcpLink.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"

#include <QEventLoop>
#include <QTimer>

// How zevctl reaches the devices: as the program's settings file says, or as the options say.
enum class LinkKind { Settings, Serial, TcpClient, TcpServer };

struct LinkChoice {
    LinkKind kind = LinkKind::Settings;
    Rs485Mode rs485Mode = Rs485Mode::Rs232c;
    int slaveAddress = 0; // on RS-485; LinkConfiguration::broadcastAddress for all
    QString host;         // TCP client: the device's address
    QString port;         // TCP: the port text, as the settings file keeps it
    int devices = 1;      // server role: how many devices to wait for
    int waitSeconds = 5;  // for the connect, or for the devices to connect
    QStringList targets;  // server role: connection entries or peer addresses; empty for all
};

// What became of one command line sent to one device.
enum class Outcome { Ok, DeviceError, NoAnswer };

struct ExchangeResult {
    Outcome outcome = Outcome::NoAnswer;
    QByteArray reply;     // the reply line without its line end (and RS-485 address)
    QString meaning;      // of a refusal or an error code, in words
    QStringList messages; // what the program would have shown, in order
};

// The meaning of a reply line: accepted, refused (with why), or anything else the device said.
ExchangeResult classifyReply(const QByteArray& reply);

// One device connection with its own exchange state and reply handler, as the program has them,
// and the wait for each reply: the command sender's own wait (the 500 ms serial tick, the TCP
// reply timer) on a nested event loop, which ends when a reply line has been interpreted or the
// wait has given up. The links log every line under "zev.traffic".
class DeviceSession : public QObject {
    Q_OBJECT
public:
    struct Target {
        QString name;       // for the reports: port, address or connection
        int connection = 0; // server role: the connection entry
    };

    explicit DeviceSession(const ConfigFolder& folder, QObject* parent = nullptr);

    // Brings the link up; the reason when it did not come up.
    QString open(const LinkChoice& choice);
    // The devices that the commands go to, in order; in the server role those of the targets
    // that are connected (the names of targets that are not come back in missingTargets).
    QList<Target> targets() const;
    QStringList missingTargets() const { return missingTargets_; }
    void select(const Target& target);

    // Sends the line to the selected device and waits for its reply.
    ExchangeResult exchange(const QByteArray& line);

    // The device's command sender; tests drive and end its reply waits.
    CommandSender& sender() { return sender_; }

    AppState state;
    SettingsDocument document;
    MessageLog messages;
    MessageBoxes boxes{messages, state.dialogs};

private:
    QString openSerial();
    QString connectTcp(const LinkChoice& choice);
    QString listen(const LinkChoice& choice);
    void replyHandled(QByteArray line);
    void endWaitWhenOver();
    bool isWaiting() const;

    ConfigFolder folder_;
    TcpLink tcp_{state.link};
    SerialLink serial_;
    CommandSender sender_;
    QTimer drainTimer_;
    QEventLoop* wait_ = nullptr;
    std::optional<QByteArray> reply_; // with its line end; empty for a line too long to be one
    QString selectedName_;
    QList<Target> targets_;
    QStringList missingTargets_;
};
