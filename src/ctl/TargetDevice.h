#pragma once

#include "commands/CommandContext.h"
#include "commands/TransferPacer.h"
#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "ctl/MessageLog.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"

#include <QTimer>
#include <memory>
#include <optional>

class ConnectionChannel;
class SerialLink;
class TcpLink;

// The two runs over the whole document: Send All, and the read-back.
enum class TransferKind { SendAll, ReadBack };

// What became of the lines sent to one device. Differs: verify found fields that differ.
enum class Outcome { Ok, Differs, DeviceError, NoAnswer, Disconnected };

struct ExchangeResult {
    Outcome outcome = Outcome::NoAnswer;
    QByteArray reply;     // the (first refusing) reply line without its line end and address
    QString meaning;      // of a refusal or an error code, in words
    QStringList messages; // what the program would have shown, in order, each once
    QStringList details;  // what the command found out: a file written, the differences
};

// The meaning of a reply line: accepted, refused (with why), or anything else the device said.
ExchangeResult classifyReply(const QByteArray& reply);

// One device that zevctl drives, with everything the program has once and zevctl has per
// device: the link settings, the exchange state and reply handler (its command sender), the
// document that a read-back fills, the messages. Nothing here waits: a line or a run is started,
// the event loop runs, and settled() tells when the reply has come or the wait has given up
// (the command sender's own waits: the 500 ms serial tick, the TCP reply timer).
class TargetDevice : public QObject {
    Q_OBJECT
public:
    // Over the serial line or as TCP client the device is reached by the link itself; in the
    // server role by a channel of its own connection (ownChannel, kept here).
    TargetDevice(const QString& deviceName, int connectionEntry, const LinkConfiguration& link,
                 SerialLink& serial, TcpLink& tcpLink,
                 std::unique_ptr<ConnectionChannel> ownChannel = {});
    ~TargetDevice() override;

    // Sends the line; a glyph read marks itself pending first, as the glyph editor does.
    void startExchange(const QByteArray& line, bool readsGlyph = false);
    // Starts the run on this device at its own pace. False when it did not start (the
    // messages say why).
    bool startRun(TransferKind kind);
    // The plan of a run over the whole document.
    static TransferPlan planOf(TransferKind kind, CommandContext& context);

    bool isSettled() const { return !exchanging_ && !running_; }
    // A reply is awaited, or a line has come and is not yet acted on, or the serial line has
    // not sent it all.
    bool isWaiting() const;
    // Of the exchange or the run last started, once settled.
    ExchangeResult result() const;

    TransferPacer* run() { return run_.get(); }

private:
    // Declared before the members below, which are built from them: the channel must outlive
    // the command sender that listens to it.
    TcpLink& tcpLink_;
    SerialLink& serial_;
    std::unique_ptr<ConnectionChannel> ownChannel_;

public:
    const QString name;
    const int connection; // the server role's connection entry; 0 otherwise
    AppState state;
    SettingsDocument document;
    MessageLog messages;
    MessageBoxes boxes{messages, state.dialogs};
    CommandSender sender;
    CommandContext context{state, document, boxes, sender};

signals:
    // The exchange or run last started is over.
    void settled();
    // The run carried out a step.
    void stepped();

private:
    void replyHandled(QByteArray line);
    void checkSettled();
    void checkSettledLater();

    QTimer drainTimer_;
    bool exchanging_ = false;
    bool running_ = false;
    bool runStarted_ = false;
    std::optional<QByteArray> reply_; // of the exchange, without its line end
    bool replyTooLong_ = false;
    std::optional<ExchangeResult> refusal_; // the first refusal during the run
    int settingsRead_ = 0;                  // read-back answers that carried a setting
    TransferKind runKind_ = TransferKind::SendAll;
    std::unique_ptr<TransferPacer> run_;
};
