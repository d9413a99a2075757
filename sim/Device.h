#pragma once

#include "sim/DeviceModel.h"
#include "sim/Reply.h"

#include <QObject>

namespace sim {

// One simulated device: its settings (DeviceModel: respond() and the state getters), the record
// of the recent lines it received and replies it sent, and the faults that tests ask for.
//
// Transports hand each received line to receive() and carry out the Reply it returns; a test
// waits for traffic with QTRY_COMPARE(device->receivedLines().size(), n) (n up to keptRecords)
// or on lineReceived.
class Device : public QObject, public DeviceModel {
    Q_OBJECT
public:
    explicit Device(int slaveAddress = 0, QObject* parent = nullptr);

    // One line as received (ending in LF, without the RS-485 address): recorded, announced by
    // lineReceived, then carried out unless a fault says otherwise. A broadcast line is carried
    // out but never answered and leaves the pending faults for the next addressed line.
    Reply receive(const QByteArray& line, bool broadcast = false);

    // The records keep the last keptRecords entries each: tests look at the recent traffic, and
    // a simulator left running under a busy program must not grow with every line.
    static constexpr qsizetype keptRecords = 1000;
    // The lines received, oldest first, without their CR LF.
    const QList<QByteArray>& receivedLines() const { return receivedLines_; }
    // The replies written, oldest first, as the bytes of their write(s) (with any RS-485
    // address in front).
    const QList<QByteArray>& sentReplies() const { return sentReplies_; }
    void clearRecords();

    // Faults. Each applies to the lines (or replies) that come next.
    // Answer the next `count` lines with `code` ("E0" to "E3", "GN", "MENU"), not carrying
    // them out.
    void refuseNext(int count, const QByteArray& code);
    // Neither answer nor carry out the next `count` lines, as if they were lost on the way.
    void ignoreNext(int count);
    // Write every reply this many milliseconds late, until set back to 0.
    void setReplyDelay(int milliseconds);
    // Write the next reply in `pieces` writes, the event loop running between them.
    void splitNextReply(int pieces);
    // Keep the next reply back and write it together with the reply after it, in one write.
    void holdNextReply();
    // Write `line` (with its CR LF) in the same write right after the next reply.
    void appendToNextReply(const QByteArray& line);
    // Close the connection once the next reply is written (TCP transports only).
    void closeAfterNextReply();

    // Called by the transports once a reply has been written in full.
    void recordReplySent(const QByteArray& bytes);

signals:
    void lineReceived(const QByteArray& line);
    // Follows lineReceived for a line sent to every device on the bus (RS-485 "FF").
    void broadcastReceived(const QByteArray& line);
    void replySent(const QByteArray& bytes);

private:
    QList<QByteArray> receivedLines_;
    QList<QByteArray> sentReplies_;
    int refuseCount_ = 0;
    QByteArray refuseCode_;
    int ignoreCount_ = 0;
    int replyDelayMs_ = 0;
    int nextReplyPieces_ = 1;
    bool holdNextReply_ = false;
    QList<QByteArray> heldReplies_;
    QList<QByteArray> appendedReplies_;
    bool closeAfterNextReply_ = false;
};

} // namespace sim
