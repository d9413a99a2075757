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
    QString meaning;      // of a refusal, an error code or an unexpected reply, in words
    QStringList messages; // what the program would have shown, in order, each once
    QStringList details;  // what the command found out: a file written, the differences
};

// What an exchange that ended means for zevctl: ok only for the answer the line asked for (or
// a broadcast, which nobody answers); a refusal, another reply or an answer to something else
// is a device error; a link that failed is no answer or a disconnection.
ExchangeResult resultOf(const Exchange& exchange);

// One device that zevctl drives, with everything the program has once and zevctl has per
// device: the link settings, the exchange state and reply handler (its command sender), the
// document that a read-back fills, the messages. Nothing here waits: a line or a run is started,
// the event loop runs, and settled() tells when every line it sent has ended (Exchange).
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
    // A line waits for its answer or its answer is not yet acted on, or the serial line has not
    // sent it all.
    bool isWaiting() const;
    // Of the exchange or the run last started, once settled.
    ExchangeResult result() const;

    TransferPacer* run() { return run_.get(); }

private:
    // Declared before the members below, which are built from them: the channel must outlive
    // the command sender that listens to it.
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
    void lineEnded(const Exchange& exchange);
    void checkSettled();
    void checkSettledLater();

    QTimer drainTimer_;
    bool exchanging_ = false;
    bool running_ = false;
    bool runStarted_ = false;
    std::optional<Exchange> firstWrong_; // the first of them that did not end as asked
    std::optional<Exchange> last_;       // the last of them that ended
    std::unique_ptr<TransferPacer> run_;
};
