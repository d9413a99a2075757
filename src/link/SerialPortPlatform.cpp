#include "link/SerialPortPlatform.h"

#include "core/LinkConfiguration.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPort>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#ifdef Q_OS_LINUX
#include <sys/sysmacros.h>
#endif
#endif

namespace {
constexpr char xonCharacter = 0x11;
constexpr char xoffCharacter = 0x13;
} // namespace

#ifdef Q_OS_WIN

namespace {
HANDLE portHandle(const QSerialPort& port) {
    return reinterpret_cast<HANDLE>(port.handle());
}

template <typename Change> bool changeCommState(QSerialPort& port, Change change) {
    if (!port.isOpen())
        return false;
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(portHandle(port), &dcb))
        return false;
    change(dcb);
    return SetCommState(portHandle(port), &dcb) != 0;
}
} // namespace

bool isPseudoTerminal(const QSerialPort&) {
    return false;
}

bool setQueueSizes(QSerialPort& port, int bytes) {
    return port.isOpen() && SetupComm(portHandle(port), DWORD(bytes), DWORD(bytes)) != 0;
}

bool applyHardwareHandshake(QSerialPort& port) {
    return changeCommState(port, [](DCB& dcb) {
        dcb.fOutxCtsFlow = TRUE;
        dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
    });
}

bool applySoftwareHandshake(QSerialPort& port) {
    return changeCommState(port, [](DCB& dcb) {
        dcb.fBinary = TRUE;
        dcb.fParity = FALSE;
        dcb.fOutX = TRUE;
        dcb.fInX = TRUE;
        dcb.XonChar = xonCharacter;
        dcb.XoffChar = xoffCharacter;
        dcb.XonLim = 512;
        dcb.XoffLim = 512;
    });
}

qint64 driverOutputQueue(const QSerialPort& port) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!port.isOpen() || !ClearCommError(portHandle(port), &errors, &status))
        return 0;
    return qint64(status.cbOutQue);
}

#else

namespace {
template <typename Change> bool changeTermios(QSerialPort& port, Change change) {
    if (!port.isOpen())
        return false;
    termios settings{};
    if (tcgetattr(port.handle(), &settings) != 0)
        return false;
    change(settings);
    return tcsetattr(port.handle(), TCSANOW, &settings) == 0;
}
} // namespace

bool isPseudoTerminal(const QSerialPort& port) {
#ifdef Q_OS_LINUX
    struct stat status {};
    if (!port.isOpen() || fstat(port.handle(), &status) != 0 || !S_ISCHR(status.st_mode))
        return false;
    // The pseudo-terminal slaves of /dev/pts (Unix98) use majors 136 to 143.
    const unsigned int deviceMajor = major(status.st_rdev);
    return deviceMajor >= 136 && deviceMajor <= 143;
#else
    Q_UNUSED(port)
    return false;
#endif
}

bool setQueueSizes(QSerialPort& port, int) {
    return port.isOpen();
}

bool applyHardwareHandshake(QSerialPort& port) {
    return changeTermios(port, [](termios& settings) { settings.c_cflag |= CRTSCTS; });
}

bool applySoftwareHandshake(QSerialPort& port) {
    return changeTermios(port, [](termios& settings) {
        settings.c_iflag |= IXON | IXOFF | IGNPAR;
        settings.c_iflag &= ~tcflag_t(IXANY | INPCK | PARMRK);
        settings.c_cc[VSTART] = cc_t(xonCharacter);
        settings.c_cc[VSTOP] = cc_t(xoffCharacter);
    });
}

qint64 driverOutputQueue(const QSerialPort& port) {
    int queued = 0;
    if (!port.isOpen() || ioctl(port.handle(), TIOCOUTQ, &queued) != 0)
        return 0;
    return queued;
}

#endif

SerialPortSource SerialPortSource::choose(const ConfigFolder& folder, int comPortIndex,
                                          const QString& configuredPath) {
    SerialPortSource source;
    if (comPortIndex < 0 || comPortIndex >= LinkConfiguration::comPortCount)
        return source;
    source.comPortIndex_ = comPortIndex;
    const QString name = QStringLiteral("COM%1").arg(comPortIndex + 1);
    if (!configuredPath.isEmpty()) {
        source.kind_ = Kind::Configured;
        source.path_ = configuredPath;
        return source;
    }
#ifdef Q_OS_WIN
    Q_UNUSED(folder)
    source.kind_ = Kind::SystemName;
    source.path_ = name;
#else
    const QFileInfo link(folder.filePath(name));
    if (link.isSymLink() || link.exists()) {
        source.kind_ = Kind::FolderLink;
        source.path_ = link.filePath();
    } else {
        source.kind_ = Kind::SystemName;
        source.path_ = QStringLiteral("/dev/ttyS%1").arg(comPortIndex);
    }
#endif
    return source;
}

QString SerialPortSource::devicePath() const {
    if (kind_ != Kind::FolderLink)
        return path_;
    const QFileInfo link(path_);
    return link.exists() ? link.canonicalFilePath() : QString();
}

QString SerialPortSource::absentReason() const {
    const QString name = QStringLiteral("COM%1").arg(comPortIndex_ + 1);
    switch (kind_) {
    case Kind::None:
        return QStringLiteral("com_port=%1 はどの COM ポートにも当たりません。").arg(comPortIndex_);
    case Kind::FolderLink:
        return QStringLiteral("%1: %2 の指すデバイスがありません。")
            .arg(name, QDir::toNativeSeparators(path_));
    default:
        return QStringLiteral("%1: %2 がありません。").arg(name, QDir::toNativeSeparators(path_));
    }
}
