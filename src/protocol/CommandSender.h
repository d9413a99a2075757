#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

struct AppState;
class MessageBoxes;
class ReplyHandler;
class SerialChannel;
class TcpChannel;

// Sends one command line to the device over the link the operator chose, and watches for the
// reply: a serial reply is awaited by the main window's 500 ms tick (checkReplyTimeout); a TCP
// reply by a single-shot timer that a complete reply line stops, while the target's bytes go to
// the reply handler as they arrive.
// Nothing here waits: the event loop keeps running while a reply is outstanding.
class CommandSender : public QObject {
    Q_OBJECT
public:
    static constexpr int defaultTcpReplyTimeoutMs = 3500; // about the serial "No Connect" wait

    CommandSender(AppState& state, MessageBoxes& boxes, ReplyHandler& replies,
                  SerialChannel& serial, TcpChannel& tcp, QObject* parent = nullptr);

    // True on a serial link (it always counts as ready) and on a connected TCP link.
    bool isLinkReady() const;

    // Hands the line to the TCP link when the TCP/IP interface is chosen, else to the serial link.
    void send(const QByteArray& line);

    // Frames the line for the serial link (the RS-485 address in front of it) and writes it.
    void sendSerialCommand(const QByteArray& line);

    // Sends the line to the TCP target and starts the wait for its reply.
    void sendTcpCommand(const QByteArray& line);

    // The main window's 500 ms tick: "No Connect" on the seventh tick of a serial wait.
    void checkReplyTimeout();

    // The TCP reply wait ran out without a byte from the target.
    void expireTcpReplyWait();

    bool isAwaitingTcpReply() const { return tcpReplyTimer_.isActive(); }
    void setTcpReplyTimeout(int milliseconds) { tcpReplyTimer_.setInterval(milliseconds); }

private:
    void onTargetBytes(const QByteArray& bytes);

    AppState& state_;
    MessageBoxes& boxes_;
    ReplyHandler& replies_;
    SerialChannel& serial_;
    TcpChannel& tcp_;
    QTimer tcpReplyTimer_;
};
