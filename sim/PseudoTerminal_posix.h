#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace sim {

// The device's end of a serial line: the master side of a POSIX pseudo-terminal, whose slave
// the program opens as its serial port. The line is raw (no echo, no line editing), reads and
// writes never block, and the simulator holds the slave open itself so that the line stays up
// while the program closes and reopens its port.
class PseudoTerminal : public QObject {
    Q_OBJECT
public:
    // What one read takes at most.
    static constexpr qsizetype readChunk = 1024;

    explicit PseudoTerminal(QObject* parent = nullptr);
    ~PseudoTerminal() override;

    bool open();
    QString errorString() const { return error_; }
    // The slave's device path, for example /dev/pts/3.
    QString slavePath() const { return slavePath_; }
    // Makes a symbolic link at linkPath to the slave (replacing an older symbolic link there,
    // never another kind of file); removed again when the terminal is destroyed.
    bool linkSlave(const QString& linkPath);

    // Queues bytes for the program; whatever the line cannot take now goes out later.
    void write(const QByteArray& bytes);
    // The bytes queued that the line has not taken yet.
    qsizetype bytesToWrite() const { return output_.size(); }

    // While held, nothing is read: the program's bytes wait in the terminal's buffer and then
    // its writes wait too.
    void holdInput(bool hold);

signals:
    void bytesReceived(const QByteArray& bytes);
    // The line took some of the queued bytes.
    void bytesWritten();

private:
    void readMaster();
    void flushOutput();
    bool fail(const QString& what);

    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QString linkPath_;
    QString error_;
    QSocketNotifier* readNotifier_ = nullptr;
    QSocketNotifier* writeNotifier_ = nullptr;
    QByteArray output_;
    bool inputHeld_ = false;
    bool readFailed_ = false;
};

} // namespace sim
