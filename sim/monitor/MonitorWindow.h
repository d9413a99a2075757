#pragma once

#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>

class QComboBox;
class QLabel;
class QPlainTextEdit;

namespace onair {
class ChannelView;
}

namespace sim {

class AutoSwitching;
class Device;
class DeviceActivity;

// A simulated device as the monitor lists it.
struct MonitoredDevice {
    Device* device = nullptr;
    QString name; // "device", "device 2", "device 05"
    bool rs485 = false;
};

// The simulator's monitor: the two video channels of one device as it keys them, side by side,
// with the state and the last command of each display area under each frame and the last
// lines on the line below. With several devices a list chooses the one shown.
//
// It is a view over the devices and their signals: the link's handlers only note that
// something changed, and a short single-shot timer redraws afterwards, so every reply is
// written before the view updates and a burst of lines costs one update. Only the lines and
// labels that changed are redrawn.
class MonitorWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int refreshDelayMs = 25;

    explicit MonitorWindow(const QList<MonitoredDevice>& devices, QWidget* parent = nullptr);

    // Shows device `index` of the list.
    void watch(int index);
    int watchedIndex() const { return watched_; }
    AutoSwitching& autoSwitching(int index) const { return *watches_[index].switching; }
    DeviceActivity& activity(int index) const { return *watches_[index].activity; }

    // Brings the view up to date with the watched device (the refresh timer's slot).
    void refresh();

signals:
    void refreshed();

private:
    struct Watch {
        MonitoredDevice monitored;
        AutoSwitching* switching = nullptr;
        DeviceActivity* activity = nullptr;
    };

    QWidget* makeChannel(int channel);
    void scheduleRefresh(int index);
    void refreshRecentLines();

    QList<Watch> watches_;
    int watched_ = 0;
    QTimer refreshTimer_;
    QComboBox* deviceList_ = nullptr;
    QLabel* deviceState_ = nullptr;
    std::array<onair::ChannelView*, 2> channels_{};
    std::array<QLabel*, 4> areaStates_{};
    std::array<QLabel*, 4> areaExchanges_{};
    QPlainTextEdit* recentLines_ = nullptr;
    int linesShownOf_ = -1; // the device whose lines the strip shows
    qint64 linesShown_ = 0; // how many of its lines it has taken
};

} // namespace sim
