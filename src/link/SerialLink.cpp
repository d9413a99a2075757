#include "link/SerialLink.h"

#include "core/AppState.h"
#include "link/SerialPortPlatform.h"
#include "link/TrafficLog.h"

namespace {
// Start bit, 8 data bits, parity and stop bit.
constexpr qint64 bitsPerCharacter = 11;
} // namespace

SerialLink::SerialLink(const AppState& state, ConfigFolder folder, QObject* parent)
    : SerialChannel(parent), state_(state), folder_(std::move(folder)) {
    writeTimer_.setSingleShot(true);
    connect(&writeTimer_, &QTimer::timeout, this, &SerialLink::writeTimedOut);
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::readReceived);
    // While the program does not take lines (a box is open) the port stops reading beyond this,
    // and the driver and the handshake hold the device back.
    port_.setReadBufferSize(ReplyLineAssembler::holdLimit);
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
        emit errorOccurred(Failure::PortSetup, QStringLiteral("Miss! File Open"));
    if (!armReception())
        emit errorOccurred(Failure::PortSetup, QStringLiteral("Miss! Mask Set"));
    if (!setQueues())
        emit errorOccurred(Failure::PortSetup, QStringLiteral("Miss! Buffer Set"));
    if (!setTimeouts())
        emit errorOccurred(Failure::PortSetup, QStringLiteral("Miss! Time Out Set"));
    if (!setCommState())
        emit errorOccurred(Failure::PortSetup, QStringLiteral("Miss! Set Comm State"));
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
    logTraffic(trafficName(), TrafficDirection::Sent, bytes, state_.link.isRs485());
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

qint64 SerialLink::heldInput() const {
    return assembler_.heldLength() + assembler_.pendingLength() + port_.bytesAvailable();
}

std::optional<QByteArray> SerialLink::takeLine() {
    auto line = assembler_.takeLine();
    if (line)
        readReceived(); // what the port held back while the lines were not taken
    return line;
}

// Reads no more than the held lines leave room for; the rest waits in the port and the driver.
void SerialLink::readReceived() {
    if (!receiving_)
        return;
    const QList<QByteArray> lines = assembler_.readFrom(port_);
    for (const QByteArray& line : lines)
        logTraffic(trafficName(), TrafficDirection::Received, line, state_.link.isRs485());
    if (!lines.isEmpty())
        emit lineReceived();
}

QString SerialLink::trafficName() const {
    return QStringLiteral("serial ") + devicePath_;
}
