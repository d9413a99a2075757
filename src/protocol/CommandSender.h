#pragma once

#include "core/ExchangeState.h"
#include "protocol/ReplyHandler.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

struct AppState;
struct SettingsDocument;
class MessageBoxes;
class LineChannel;
class SerialChannel;
class TcpChannel;

// Sends one command line to the device over the link the operator chose, and watches for the
// reply: a serial reply is awaited by a 500 ms tick (checkReplyTimeout), a TCP reply by a
// single-shot timer. Either wait ends as soon as a whole line has arrived, before the line is
// interpreted, so a box left open by its interpretation cannot run into a false time-out.
// Lines are interpreted one at a time, in the order they arrived, after the link's handler has
// returned: a box never runs the event loop inside a link's notification.
// Nothing here waits: the event loop keeps running while a reply is outstanding.
// The sender owns the exchange state of its device and the reply handler that interprets that
// device's replies; the command-line tool has one sender per device connection.
class CommandSender : public QObject {
    Q_OBJECT
public:
    static constexpr int serialReplyTickInterval = 500;
    static constexpr int defaultTcpReplyTimeoutMs = 3500; // about the serial "No Connect" wait

    CommandSender(AppState& state, SettingsDocument& document, MessageBoxes& boxes,
                  SerialChannel& serial, TcpChannel& tcp, QObject* parent = nullptr);

    const ExchangeState& exchange() const { return exchange_; }
    ReplyHandler& replies() { return replies_; }

    // A timed run goes on: no other run starts, New and Open are refused and "GO" shows no box.
    // Its pacer alone sets it.
    bool isRunGoing() const { return exchange_.runGoing; }
    void setRunGoing(bool going) { exchange_.runGoing = going; }
    // A glyph read was sent (true) or its dialog closed (false).
    void setGlyphReadPending(bool pending) { exchange_.glyphReadPending = pending ? 1 : 0; }
    // Nothing is awaited and nothing has failed, as at start-up and after New.
    void resetExchange();

    // True on a serial link (it always counts as ready) and on a connected TCP link.
    bool isLinkReady() const;

    // Hands the line to the TCP link when the TCP/IP interface is chosen, else to the serial link.
    void send(const QByteArray& line);

    // Frames the line for the serial link (the RS-485 address in front of it) and writes it.
    void sendSerialCommand(const QByteArray& line);

    // Sends the line to the TCP target and starts the wait for its reply.
    void sendTcpCommand(const QByteArray& line);

    // The 500 ms tick, running from construction: "No Connect" on the seventh tick of a serial
    // wait.
    void checkReplyTimeout();

    // The TCP reply wait ran out without a whole line from the target.
    void expireTcpReplyWait();

    bool isAwaitingTcpReply() const { return tcpReplyTimer_.isActive(); }
    // Lines have arrived that are not yet interpreted.
    bool hasLinesToInterpret() const { return interpretTimer_.isActive() || interpreting_; }
    void setTcpReplyTimeout(int milliseconds) { tcpReplyTimer_.setInterval(milliseconds); }

    // Interprets the lines the links hold, oldest first. A box opened meanwhile holds the rest
    // back until it has closed, so that boxes never stack up; called from a zero timer.
    void interpretReceivedLines();

private:
    void onSerialLine();
    void onTcpLine();

    AppState& state_;
    MessageBoxes& boxes_;
    ExchangeState exchange_;
    ReplyHandler replies_;
    SerialChannel& serial_;
    TcpChannel& tcp_;
    QTimer serialReplyTimer_;
    QTimer tcpReplyTimer_;
    QTimer interpretTimer_;
    bool interpreting_ = false;
};
