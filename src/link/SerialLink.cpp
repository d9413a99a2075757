#include "link/SerialLink.h"

#include "core/AppState.h"
#include "link/SerialPortPlatform.h"
#include "protocol/MessageBoxes.h"

namespace {
// Start bit, 8 data bits, parity and stop bit.
constexpr qint64 bitsPerCharacter = 11;
} // namespace

SerialLink::SerialLink(const AppState& state, MessageBoxes& boxes, ConfigFolder folder,
                       QObject* parent)
    : QObject(parent), state_(state), boxes_(boxes), folder_(std::move(folder)) {
    writeTimer_.setSingleShot(true);
    connect(&writeTimer_, &QTimer::timeout, this, &SerialLink::writeTimedOut);
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::readReceived);
}

SerialLink::~SerialLink() {
    port_.close();
}

void SerialLink::openSerialPort() {
    port_.close();
    devicePath_ = serialDevicePath(folder_, state_.link.comPortIndex);
    port_.setPortName(devicePath_);
    setLineBeforeOpening();
    const bool opened = !devicePath_.isEmpty() && port_.open(QIODevice::ReadWrite);
    pseudoTerminal_ = opened && isPseudoTerminal(port_);
    if (!opened)
        boxes_.showError(QStringLiteral("Miss! File Open"));
    if (!armReception())
        boxes_.showError(QStringLiteral("Miss! Mask Set"));
    if (!setQueues())
        boxes_.showError(QStringLiteral("Miss! Buffer Set"));
    if (!setTimeouts())
        boxes_.showError(QStringLiteral("Miss! Time Out Set"));
    if (!setCommState())
        boxes_.showError(QStringLiteral("Miss! Set Comm State"));
    port_.clearError();
}

// The line is set before the port opens, so that it never runs with other settings; the open
// does not report a setting that the port refuses, setCommState below does.
void SerialLink::setLineBeforeOpening() {
    port_.setBaudRate(baudRate);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::EvenParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl); // both handshakes are set together below
}

// Received characters are reported by the open port itself (readyRead); the step only holds when
// the port is open for reading.
bool SerialLink::armReception() {
    receiving_ = port_.isOpen() && port_.isReadable();
    return receiving_;
}

bool SerialLink::setQueues() {
    return setQueueSizes(port_, queueSize);
}

// Reads never wait: the port reports what has arrived. Writes get the time-out of writeTimer_.
bool SerialLink::setTimeouts() {
    writeTimer_.stop();
    return port_.isOpen();
}

bool SerialLink::setCommState() {
    if (!port_.isOpen())
        return false;
    const bool line = port_.setBaudRate(baudRate) && port_.setDataBits(QSerialPort::Data8) &&
                      port_.setStopBits(QSerialPort::OneStop);
    const bool parity = port_.setParity(QSerialPort::EvenParity);
    const bool hardwareHandshake = applyHardwareHandshake(port_);
    const bool softwareHandshake = applySoftwareHandshake(port_);
    // A pseudo-terminal (a simulator, a test) has no parity and no modem lines; it refusing
    // them is no fault of the line.
    return line && softwareHandshake && ((parity && hardwareHandshake) || pseudoTerminal_);
}

void SerialLink::write(const QByteArray& bytes) {
    if (!port_.isOpen() || bytes.isEmpty())
        return;
    port_.write(bytes);
    // A write may take the line time of the bytes ahead of it and of its own, and a second more
    // (the port's write time-out); then what the line still holds is given up.
    const qint64 lineTime = pendingOutput() * bitsPerCharacter * 1000 / baudRate;
    writeTimer_.start(int(writeTimeout + lineTime));
}

void SerialLink::writeTimedOut() {
    if (pendingOutput() > 0)
        port_.clear(QSerialPort::Output);
}

qint64 SerialLink::pendingOutput() const {
    return port_.bytesToWrite() + driverOutputQueue(port_);
}

void SerialLink::readReceived() {
    // A reply handler may show a box and so run the event loop while a line is handed over;
    // bytes that arrive meanwhile are taken by the loop below, after the lines before them.
    if (!receiving_ || delivering_)
        return;
    delivering_ = true;
    while (port_.bytesAvailable() > 0) {
        for (const QByteArray& line : assembler_.append(port_.readAll()))
            emit replyLine(line);
    }
    delivering_ = false;
}
