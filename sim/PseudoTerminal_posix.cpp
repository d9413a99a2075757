#include "sim/PseudoTerminal_posix.h"

#include <QFile>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

PseudoTerminal::PseudoTerminal(QObject* parent) : QObject(parent) {}

PseudoTerminal::~PseudoTerminal() {
    if (!linkPath_.isEmpty() && QFile::symLinkTarget(linkPath_) == slavePath_)
        ::unlink(QFile::encodeName(linkPath_).constData());
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
}

bool PseudoTerminal::open() {
    char name[256] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        return fail(QStringLiteral("cannot open a pseudo-terminal"));
    slavePath_ = QFile::decodeName(name);
    ::fcntl(master_, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave_, F_SETFD, FD_CLOEXEC);

    // Raw: otherwise the line discipline would echo the replies back to the simulator and
    // turn CR into LF.
    termios settings{};
    if (::tcgetattr(master_, &settings) != 0)
        return fail(QStringLiteral("cannot read the terminal settings"));
    ::cfmakeraw(&settings);
    if (::tcsetattr(master_, TCSANOW, &settings) != 0)
        return fail(QStringLiteral("cannot make the line raw"));
    const int flags = ::fcntl(master_, F_GETFL);
    if (flags < 0 || ::fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail(QStringLiteral("cannot make the line non-blocking"));

    readNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(readNotifier_, &QSocketNotifier::activated, this, &PseudoTerminal::readMaster);
    writeNotifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &PseudoTerminal::flushOutput);
    return true;
}

bool PseudoTerminal::linkSlave(const QString& linkPath) {
    const QByteArray path = QFile::encodeName(linkPath);
    struct stat existing {};
    if (::lstat(path.constData(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode)) {
            error_ = linkPath + QStringLiteral(" exists and is not a symbolic link");
            return false;
        }
        ::unlink(path.constData());
    }
    if (::symlink(QFile::encodeName(slavePath_).constData(), path.constData()) != 0)
        return fail(QStringLiteral("cannot make the link ") + linkPath);
    linkPath_ = linkPath;
    return true;
}

void PseudoTerminal::write(const QByteArray& bytes) {
    if (master_ < 0)
        return;
    output_ += bytes;
    flushOutput();
}

void PseudoTerminal::holdInput(bool hold) {
    inputHeld_ = hold;
    if (readNotifier_)
        readNotifier_->setEnabled(!inputHeld_ && !readFailed_);
}

void PseudoTerminal::readMaster() {
    char buffer[readChunk];
    while (!inputHeld_) {
        const ssize_t count = ::read(master_, buffer, sizeof buffer);
        if (count > 0) {
            emit bytesReceived(QByteArray(buffer, qsizetype(count)));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // The slave is held open, so this is not a hang-up; stop rather than spin.
            readFailed_ = true;
            readNotifier_->setEnabled(false);
            fail(QStringLiteral("cannot read the line"));
        }
        return;
    }
}

void PseudoTerminal::flushOutput() {
    const qsizetype queued = output_.size();
    while (!output_.isEmpty()) {
        const ssize_t count = ::write(master_, output_.constData(), size_t(output_.size()));
        if (count > 0) {
            output_.remove(0, qsizetype(count));
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            if (count < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                output_.clear(); // the line is unusable: drop rather than retry forever
            break;
        }
    }
    writeNotifier_->setEnabled(!output_.isEmpty());
    if (output_.size() < queued)
        emit bytesWritten();
}

bool PseudoTerminal::fail(const QString& what) {
    error_ = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

} // namespace sim
