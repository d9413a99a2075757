#include "link/SerialLink.h"

#include "core/AppState.h"
#include "link/SerialPortPlatform.h"
#include "link/TrafficLog.h"

#include <QDir>

namespace {
// Start bit, 8 data bits, parity and stop bit.
constexpr qint64 bitsPerCharacter = 11;
} // namespace

SerialLink::SerialLink(const AppState& state, ConfigFolder folder, QObject* parent)
    : SerialChannel(parent), state_(state), folder_(std::move(folder)) {
    writeTimer_.setSingleShot(true);
    connect(&writeTimer_, &QTimer::timeout, this, &SerialLink::writeTimedOut);
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::readReceived);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::portFailed);
    reopenTimer_.setInterval(reopenInterval);
    connect(&reopenTimer_, &QTimer::timeout, this, &SerialLink::reopenPort);
    readAgain_.setSingleShot(true);
    connect(&readAgain_, &QTimer::timeout, this, &SerialLink::readReceived);
    // While the program does not take lines (a box is open) the port stops reading beyond this,
    // and the driver and the handshake hold the device back.
    port_.setReadBufferSize(ReplyLineAssembler::holdLimit);
}

SerialLink::~SerialLink() {
    port_.close();
}

void SerialLink::openSerialPort() {
    reopenTimer_.stop(); // no quiet try while the boxes below are open
    setState(LinkState::Opening);
    // At start-up and when the operator chooses the serial interface: the port's source is
    // chosen afresh from the operator's configuration.
    chooseSource();
    const QList<SetupFailure> failures = openPort();
    setState(port_.isOpen() ? LinkState::Open : LinkState::Retrying);
    for (const SetupFailure& failure : failures)
        emit errorOccurred(Failure::PortSetup, failure.text, failure.detail);
    if (!port_.isOpen())
        reopenTimer_.start();
}

void SerialLink::reopenPort() {
    if (state_.link.interfaceKind != InterfaceKind::Serial || port_.isOpen()) {
        reopenTimer_.stop();
        setState(port_.isOpen() ? LinkState::Open : LinkState::Closed);
        return;
    }
    // The port is looked for where it was; the operator may have chosen another one meanwhile,
    // or made the configuration folder's link that the system's name stood in for.
    if (source_.comPortIndex() != state_.link.comPortIndex ||
        source_.kind() == SerialPortSource::Kind::SystemName)
        chooseSource();
    openPort();
    if (port_.isOpen()) {
        reopenTimer_.stop();
        setState(LinkState::Open);
        qCDebug(zevTraffic).noquote() << QString::fromUtf8(trafficName_) << "opened again";
    }
}

void SerialLink::chooseSource() {
    const int index = state_.link.comPortIndex;
    source_ = SerialPortSource::choose(folder_, index,
                                       index >= 0 && index < LinkConfiguration::comPortCount
                                           ? state_.link.comDevicePaths[std::size_t(index)]
                                           : QString());
}

// Every step is taken before any failure is reported: a box runs the event loop, and the port
// must not be half set up meanwhile.
QList<SerialLink::SetupFailure> SerialLink::openPort() {
    port_.close();
    assembler_.discardPartialLine();
    devicePath_ = source_.devicePath();
    trafficName_ = "serial " + devicePath_.toUtf8();
    port_.setPortName(devicePath_);
    setLineBeforeOpening();
    const bool opened = !devicePath_.isEmpty() && port_.open(QIODevice::ReadWrite);
    pseudoTerminal_ = opened && isPseudoTerminal(port_);
    QList<SetupFailure> failures;
    const auto step = [&](bool done, const char* text) {
        if (!done)
            failures.append({QString::fromLatin1(text), portFailureDetail()});
    };
    step(opened, "Miss! File Open");
    step(armReception(), "Miss! Mask Set");
    step(setQueues(), "Miss! Buffer Set");
    step(setTimeouts(), "Miss! Time Out Set");
    step(setCommState(), "Miss! Set Comm State");
    port_.clearError();
    return failures;
}

// Which device, and what the system said about it.
QString SerialLink::portFailureDetail() const {
    if (devicePath_.isEmpty())
        return source_.absentReason();
    const QString device = QDir::toNativeSeparators(devicePath_);
    if (!port_.isOpen())
        return QStringLiteral("%1: %2").arg(device, port_.errorString());
    return QStringLiteral("%1: %2").arg(device, port_.error() == QSerialPort::NoError
                                                    ? QStringLiteral("設定を受け付けません。")
                                                    : port_.errorString());
}

// A port whose device went away reports a resource error on every access: it is closed once
// the port's own handler has returned, and tried again until the device is back.
void SerialLink::portFailed(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ResourceError)
        return;
    QMetaObject::invokeMethod(this, &SerialLink::closeLostPort, Qt::QueuedConnection);
}

void SerialLink::closeLostPort() {
    if (!port_.isOpen())
        return;
    const QString detail =
        QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(devicePath_), port_.errorString());
    qCDebug(zevTraffic).noquote() << QString::fromUtf8(trafficName_)
                                  << "lost:" << port_.errorString();
    port_.close();
    writeTimer_.stop();
    assembler_.discardPartialLine(); // the rest of that line will never come
    receiving_ = false;
    reopenTimer_.start();
    setState(LinkState::Retrying);
    emit lost(detail);
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
    logTraffic(trafficName_, TrafficDirection::Sent, bytes, state_.link.isRs485());
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
    // What the port held back while the lines were not taken, at the next turn.
    if (line && assembler_.canReadMore(port_))
        readAgain_.start();
    return line;
}

// Reads no more than the held lines leave room for; the rest waits in the port and the driver.
void SerialLink::readReceived() {
    if (!receiving_)
        return;
    const QList<QByteArray> lines = assembler_.readFrom(port_);
    if (assembler_.canReadMore(port_))
        readAgain_.start();
    for (const QByteArray& line : lines) {
        logTraffic(trafficName_, TrafficDirection::Received, line, state_.link.isRs485());
        emit lineReceived();
    }
}
