#pragma once

#include "core/ExchangeState.h"
#include "protocol/Exchange.h"
#include "protocol/ReplyBoxes.h"
#include "protocol/ReplyHandler.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QTimer>
#include <deque>
#include <optional>

struct AppState;
struct SettingsDocument;
class MessageBoxes;
class LineChannel;
class SerialChannel;
class TcpChannel;

// Sends one command line at a time to the device over the link the operator chose and gives
// every line an exchange that ends exactly once with its outcome (Exchange): accepted, data, a
// refusal by the device, another reply, no answer, not connected, not sent, disconnected, or no
// reply expected. Whoever needs to know what became of a line follows exchangeFinished: the
// boxes (ReplyBoxes, owned here), a run, zevctl, the status bar.
//
// Each line waits for its answer on its own deadline, never restarted by a later send: over
// TCP 3.5 s from its own send; over the serial line until the seventh tick of the 500 ms reply
// tick (3 to 3.5 s). Replies come in the order of the lines, so a whole line that arrives
// answers the oldest line still waiting, and that wait ends there, before the reply is
// interpreted (a box left open by its interpretation cannot run into a false time-out). When the
// oldest line gets no answer, the lines sent after it end with it: a later answer could no longer
// be told from a late one. A link that goes away ends every line waiting on it at once.
//
// Lines are interpreted one at a time, in the order they arrived, after the link's handler has
// returned: a box never runs the event loop inside a link's notification. A line that answers
// nothing still waiting is interpreted all the same. Nothing here waits: the event loop keeps
// running while replies are outstanding. The command-line tool has one sender per device.
class CommandSender : public QObject {
    Q_OBJECT
public:
    static constexpr int serialReplyTickInterval = 500;
    static constexpr int serialReplyTicks = 6; // "No Connect" on the tick after these
    static constexpr int tcpReplyTimeoutMs = 3500;

    CommandSender(AppState& state, SettingsDocument& document, MessageBoxes& boxes,
                  SerialChannel& serial, TcpChannel& tcp, QObject* parent = nullptr);

    const ExchangeState& exchange() const { return exchange_; }
    ReplyHandler& replies() { return replies_; }
    ReplyBoxes& replyBoxes() { return boxes_; }

    // A timed run goes on: no other run starts, New and Open are refused and "GO" shows no box.
    // Its pacer alone sets it.
    bool isRunGoing() const { return exchange_.runGoing; }
    void setRunGoing(bool going) { exchange_.runGoing = going; }
    // A glyph read was sent (true) or its dialog closed (false).
    void setGlyphReadPending(bool pending) { exchange_.glyphReadPending = pending ? 1 : 0; }
    // As at start-up and after New: no glyph read awaited, nothing half received kept.
    void resetExchange();

    // True on a serial link (it always counts as ready) and on a connected TCP link.
    bool isLinkReady() const;

    // Hands the line (with its CR LF) to the TCP link when the TCP/IP interface is chosen, else
    // to the serial link, framed with the RS-485 address in front. Returns the id of its
    // exchange, which may have ended before this returns (not connected, a broadcast).
    quint64 send(const QByteArray& line);

    // The 500 ms tick, running from construction: the serial waits count it.
    void checkReplyTimeout();
    // The wait for TCP answers a line sent from now on gets.
    void setTcpReplyTimeout(int milliseconds) { tcpReplyTimeout_ = milliseconds; }

    // A line waits for its answer, or an answer has come and is not yet acted on.
    bool isAwaiting() const;
    // A line waits for its answer.
    bool isWaitingForAnswer() const { return !waiting_[0].empty() || !waiting_[1].empty(); }

    // Interprets the lines the links hold, oldest first. A box opened meanwhile holds the rest
    // back until it has closed, so that boxes never stack up; called from a zero timer.
    void interpretReceivedLines();

signals:
    // A line was handed over; its exchange follows with exchangeFinished.
    void exchangeStarted(const Exchange& exchange);
    void exchangeFinished(const Exchange& exchange);
    // A reply line has been acted on (stored, when it carries a setting); emitted after the
    // exchange it answers has finished.
    void replyInterpreted(const InterpretedReply& reply);

private:
    struct Waiting {
        Exchange exchange;
        int ticks = 0;           // serial: reply ticks so far
        QDeadlineTimer deadline; // TCP
    };

    void sendSerialCommand(Exchange exchange);
    void sendTcpCommand(Exchange exchange);
    void finish(Exchange exchange, ExchangeOutcome outcome, const QString& detail = {});
    void lineArrived(ReplyLink link);
    void interpretLine(const QByteArray& line, ReplyLink link);
    // Ends every line still waiting on the link: the oldest reported, the others with it.
    void endWaiting(ReplyLink link, ExchangeOutcome outcome, const QString& detail);
    void checkTcpDeadline();
    void armTcpDeadline();

    AppState& state_;
    ExchangeState exchange_;
    ReplyHandler replies_;
    SerialChannel& serial_;
    TcpChannel& tcp_;
    quint64 lastId_ = 0;
    int tcpReplyTimeout_ = tcpReplyTimeoutMs;
    std::deque<Waiting> waiting_[2];                  // by ReplyLink, oldest first
    std::deque<std::optional<Exchange>> answered_[2]; // a line held by the link, each
    QTimer serialReplyTimer_;
    QTimer tcpReplyTimer_;
    QTimer interpretTimer_;
    bool interpreting_ = false;
    ReplyBoxes boxes_;
};
