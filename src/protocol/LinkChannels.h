#pragma once

#include <QByteArray>
#include <QObject>
#include <optional>

// What the command sender needs of the two device links. The serial and TCP links implement
// these; tests plug in recording ones.

// Where a link stands, for the dialogs, the status bar and zevctl.
enum class LinkState {
    Closed,    // not in use
    Opening,   // the port is being opened, or the connection being made
    Open,      // the serial port is open
    Retrying,  // the serial port was lost or is absent, and is tried again every 1.5 s
    Listening, // the server role listens, no device chosen
    Connected, // the TCP client is connected, or the server's chosen device is there
};

// The lines a link has received, held in order until the command sender takes them. A link
// reports each line as soon as it is whole and leaves its interpretation to the sender, which
// takes it once the link's own handler has returned. A link shows nothing itself: it reports its
// failures, and the program shows them.
class LineChannel : public QObject {
    Q_OBJECT
public:
    // What failed, which decides the box: a step of opening the serial port; a step of the TCP
    // link (connecting, listening, accepting); an event of a socket in use.
    enum class Failure { PortSetup, Network, SocketEvent };
    Q_ENUM(Failure)

    using QObject::QObject;

    // The oldest line held, with its line end; an empty line stands for one that was too long to
    // be a reply (its bytes were dropped up to its LF). Nothing when no line is held.
    virtual std::optional<QByteArray> takeLine() = 0;

    // Forgets the start of a line whose end never came, so that it cannot be taken for the
    // beginning of the reply to the next line sent.
    virtual void discardPartialLine() = 0;

    LinkState state() const { return state_; }

signals:
    // One whole line has arrived and is held for takeLine: one signal per line.
    void lineReceived();
    // The device's line went away (the port was lost, the connection closed): nothing sent
    // before will be answered. The detail says what happened, for the operator.
    void lost(const QString& detail);
    // Something failed; the text is the operator's message and the detail says why (which
    // device or port, what the system said). Failures of a call are reported before it
    // returns; those of socket events once the socket's own handler has returned.
    void errorOccurred(LineChannel::Failure failure, const QString& text, const QString& detail);
    void stateChanged(LinkState state);

protected:
    void setState(LinkState state) {
        if (state == state_)
            return;
        state_ = state;
        emit stateChanged(state);
    }

private:
    LinkState state_ = LinkState::Closed;
};

// The serial line: writes the framed bytes of one command. Writes never overlap; a write to a
// port that could not be opened is dropped without a message (the reply time-out reports it).
class SerialChannel : public LineChannel {
    Q_OBJECT
public:
    using LineChannel::LineChannel;

    virtual void write(const QByteArray& bytes) = 0;
};

// The TCP link as the command sender sees it: the socket of the current role's target (the
// client socket, or the chosen device's connection in the server role). Lines from other
// devices are not held.
class TcpChannel : public LineChannel {
    Q_OBJECT
public:
    using LineChannel::LineChannel;

    // Writes bytes to the target's socket; false when there is no such socket or the write
    // fails at once.
    virtual bool sendToTarget(const QByteArray& bytes) = 0;
    // Commands can go: the client has connected, or the server's target has been chosen.
    virtual bool tcpConnected() const = 0;
};
