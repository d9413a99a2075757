#pragma once

#include "sim/DeviceModel.h"

#include <QObject>
#include <QStringList>
#include <array>

namespace sim {

class Device;

// What one device was told lately: for each display area the last command line that named it
// and the device's reply, and the last lines received and sent, with the RS-485 address where
// the device sits on a bus ("05 <- P01T05", "05 -> GO", "FF <- CWL2").
class DeviceActivity : public QObject {
    Q_OBJECT
public:
    static constexpr int recentLineLimit = 8;

    struct Exchange {
        QByteArray command; // without CR LF; empty: none yet
        QByteArray reply;   // the reply line(s) without address; empty: none (yet)
        bool broadcast = false;

        // "P01T05 → GO", "P01T05 → …" while the reply is awaited, "—" before any command; a
        // long command is cut short with "…".
        QString text() const;
    };

    DeviceActivity(Device* device, bool rs485, QObject* parent = nullptr);

    const Exchange& lastExchange(int area) const { return exchanges_[area]; }
    // The last lines received and sent, oldest first, at most recentLineLimit; a long line is
    // cut short with "…".
    const QStringList& recentLines() const { return recentLines_; }
    // How many lines were ever received and sent, which tells a viewer what is new.
    qint64 lineCount() const { return lineCount_; }

    // The display area a command line (without address) names, or -1 for a line about the
    // whole device or one the device does not understand.
    static int commandArea(const QByteArray& line);

signals:
    void changed();

private:
    void takeLine(const QByteArray& line);
    void takeBroadcast();
    void takeReply(const QByteArray& bytes);
    void addRecentLine(const QString& arrow, const QByteArray& address, const QByteArray& line);

    Device* device_;
    bool rs485_;
    std::array<Exchange, DeviceModel::areaCount> exchanges_;
    int lastArea_ = -1;          // area of the last line received; -1: none or the whole device
    bool awaitingReply_ = false; // the last line received has no reply yet
    QStringList recentLines_;
    qint64 lineCount_ = 0;
};

} // namespace sim
