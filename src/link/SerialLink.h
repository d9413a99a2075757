#pragma once

#include "link/ConfigFolder.h"
#include "link/ReplyLineAssembler.h"
#include "link/SerialPortPlatform.h"
#include "protocol/LinkChannels.h"

#include <QObject>
#include <QSerialPort>
#include <QTimer>

struct AppState;

// The device's serial line (RS-232C and RS-485 alike): 9600 bit/s, 8 data bits, even parity,
// 1 stop bit, RTS/CTS and XON/XOFF handshake. It runs on the user-interface thread: received
// bytes arrive as events and are held as reply lines until the command sender takes them (at
// most about ReplyLineAssembler::holdLimit bytes, and as much again in the port's buffer; the
// driver and the handshake hold the device back beyond that); writes are queued and never block.
// It shows nothing itself: a failed step of opening the port is reported by errorOccurred.
// A port that fails (a USB adapter pulled, the simulator's far end closed) is closed and, like a
// port that could not be opened, tried again every reopenInterval while the serial interface is
// chosen, so that the line comes back with the device without a restart. It is tried where the
// operator's configuration put it (SerialPortSource), never on another device.
class SerialLink : public SerialChannel {
    Q_OBJECT
public:
    static constexpr int baudRate = 9600;
    static constexpr int queueSize = 2000;
    static constexpr int writeTimeout = 1000;   // ms the line may hold a write beyond its own time
    static constexpr int reopenInterval = 1500; // ms between quiet tries to open the port again

    SerialLink(const AppState& state, ConfigFolder folder, QObject* parent = nullptr);
    ~SerialLink() override;

    // Opens the port named by comPortIndex and sets it up: at start-up, and when the operator
    // chooses the serial interface. Each step that fails reports its "Miss! ..." message, with
    // the device and what the system said, and the later steps are still tried, so a port that
    // cannot be opened reports all five, in order, once every step has been tried. A port left
    // closed is then tried again by reopenPort.
    void openSerialPort();
    // Tick of the reopen timer: while the serial interface is chosen and the port is not open,
    // opens it again without a message; the timer stops once it is open or TCP/IP is chosen.
    void reopenPort();
    bool isWaitingToReopen() const { return reopenTimer_.isActive(); }

    bool isOpen() const { return port_.isOpen(); }
    // The device last opened or tried, for messages and the status bar; empty while the port's
    // source names none.
    const QString& devicePath() const { return devicePath_; }
    // Where the device comes from.
    const SerialPortSource& source() const { return source_; }

    // Queues the bytes behind earlier writes. Without an open port they are dropped: the reply
    // time-out then tells the operator.
    void write(const QByteArray& bytes) override;
    std::optional<QByteArray> takeLine() override;
    void discardPartialLine() override { assembler_.discardPartialLine(); }

    // Tick of the write time-out: output that the line still holds (the handshake keeps it
    // back, no device is there) is discarded instead of reaching the device later.
    void writeTimedOut();
    // Bytes written but not yet sent, in our queue and in the driver's.
    qint64 pendingOutput() const;
    // Bytes of the reply line collected so far.
    qsizetype serialLineLength() const { return assembler_.pendingLength(); }
    // Bytes received and not yet taken: the whole lines held, the line being collected and what
    // the port holds unread.
    qint64 heldInput() const;

private:
    struct SetupFailure {
        QString text;
        QString detail;
    };
    void chooseSource();
    QList<SetupFailure> openPort();
    QString portFailureDetail() const;
    void portFailed(QSerialPort::SerialPortError error);
    void closeLostPort();
    void setLineBeforeOpening();
    bool armReception();
    bool setQueues();
    bool setTimeouts();
    bool setCommState();
    void readReceived();

    const AppState& state_;
    ConfigFolder folder_;
    SerialPortSource source_;
    QString devicePath_;
    QByteArray trafficName_; // "serial " and the device, for the traffic log
    QSerialPort port_;
    QTimer writeTimer_;
    QTimer reopenTimer_;
    QTimer readAgain_; // input beyond one turn's reading, at the next turn
    ReplyLineAssembler assembler_;
    bool pseudoTerminal_ = false;
    bool receiving_ = false;
};
