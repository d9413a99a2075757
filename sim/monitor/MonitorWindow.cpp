#include "sim/monitor/MonitorWindow.h"

#include "onair/ChannelView.h"
#include "sim/CommandFields.h"
#include "sim/Device.h"
#include "sim/monitor/AreaPicture.h"
#include "sim/monitor/AutoSwitching.h"
#include "sim/monitor/DeviceActivity.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace sim {

namespace {

const char* const lineNames[2] = {"Top", "Bottom"};

QString channelName(int channel) {
    return QStringLiteral("ch.%1").arg(channel + 1);
}

QString areaName(int area) {
    return channelName(area / 2) + QLatin1Char(' ') + QLatin1String(lineNames[area % 2]);
}

// The picture as the on-air drawing takes it: characters and glyph dots, without the glyphs'
// registration numbers.
onair::TitleLine titleLine(const AreaPicture& picture) {
    onair::TitleLine line{
        picture.shown, picture.position, picture.whiteLevel, picture.edgeLevel, {}};
    for (int i = 0; i < onair::TitleLine::cellCount; ++i) {
        const TitleCell& cell = picture.cells[i];
        line.cells[i] = cell.kind == TitleCell::Kind::Glyph ? onair::Cell{{}, cell.glyphDots}
                                                            : onair::Cell{cell.character, {}};
    }
    return line;
}
static_assert(DeviceModel::titleLength == onair::TitleLine::cellCount);

} // namespace

MonitorWindow::MonitorWindow(const QList<MonitoredDevice>& devices, QWidget* parent)
    : QWidget(parent) {
    setWindowTitle(QStringLiteral("zev530tq-sim monitor"));
    for (int index = 0; index < devices.size(); ++index) {
        Watch watch{devices[index], new AutoSwitching(*devices[index].device, this),
                    new DeviceActivity(devices[index].device, devices[index].rs485, this)};
        connect(watch.activity, &DeviceActivity::changed, this,
                [this, index] { scheduleRefresh(index); });
        connect(watch.switching, &AutoSwitching::pageChanged, this,
                [this, index] { scheduleRefresh(index); });
        watch.switching->start();
        watches_.append(watch);
    }
    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(refreshDelayMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &MonitorWindow::refresh);

    auto* header = new QHBoxLayout;
    deviceList_ = new QComboBox(this);
    deviceList_->setAccessibleName(QStringLiteral("Device"));
    for (const Watch& watch : watches_)
        deviceList_->addItem(watch.monitored.name);
    deviceList_->setVisible(watches_.size() > 1);
    connect(deviceList_, &QComboBox::activated, this, &MonitorWindow::watch);
    deviceState_ = new QLabel(this);
    deviceState_->setAccessibleName(QStringLiteral("Device state"));
    header->addWidget(deviceList_);
    header->addWidget(deviceState_, 1);

    auto* channels = new QHBoxLayout;
    for (int channel = 0; channel < 2; ++channel)
        channels->addWidget(makeChannel(channel));

    auto* strip = new QGroupBox(QStringLiteral("Last lines"), this);
    recentLines_ = new QPlainTextEdit(strip);
    recentLines_->setAccessibleName(QStringLiteral("Last lines"));
    recentLines_->setReadOnly(true);
    recentLines_->setLineWrapMode(QPlainTextEdit::NoWrap);
    recentLines_->setMaximumBlockCount(DeviceActivity::recentLineLimit);
    recentLines_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    recentLines_->setFixedHeight(
        recentLines_->fontMetrics().lineSpacing() * DeviceActivity::recentLineLimit + 12);
    auto* stripLayout = new QVBoxLayout(strip);
    stripLayout->addWidget(recentLines_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addLayout(channels, 1);
    layout->addWidget(strip);
    refresh();
}

QWidget* MonitorWindow::makeChannel(int channel) {
    auto* group = new QGroupBox(channelName(channel), this);
    channels_[channel] = new onair::ChannelView(group);
    channels_[channel]->setAccessibleName(channelName(channel) + QStringLiteral(" video"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(channels_[channel], 0, 0, 1, 2);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(1, 1);
    for (int row = 0; row < 2; ++row) {
        const int area = channel * 2 + row;
        grid->addWidget(new QLabel(QLatin1String(lineNames[row]), group), 1 + 2 * row, 0);
        areaStates_[area] = new QLabel(group);
        areaStates_[area]->setAccessibleName(areaName(area));
        areaExchanges_[area] = new QLabel(group);
        areaExchanges_[area]->setAccessibleName(areaName(area) + QStringLiteral(" last command"));
        areaExchanges_[area]->setTextFormat(Qt::PlainText);
        // Long replies (a read-back) must not widen the window.
        areaExchanges_[area]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        grid->addWidget(areaStates_[area], 1 + 2 * row, 1);
        grid->addWidget(areaExchanges_[area], 2 + 2 * row, 1);
    }
    return group;
}

void MonitorWindow::watch(int index) {
    if (index < 0 || index >= watches_.size() || index == watched_)
        return;
    watched_ = index;
    deviceList_->setCurrentIndex(index);
    refresh();
}

void MonitorWindow::scheduleRefresh(int index) {
    if (index == watched_ && !refreshTimer_.isActive())
        refreshTimer_.start();
}

void MonitorWindow::refresh() {
    refreshTimer_.stop();
    if (watches_.isEmpty())
        return;
    const Watch& watch = watches_[watched_];
    const Device& device = *watch.monitored.device;
    watch.switching->settle();
    for (int area = 0; area < DeviceModel::areaCount; ++area) {
        const AreaPicture picture = pictureOf(device, *watch.switching, area);
        channels_[area / 2]->setLine(area % 2, titleLine(picture));
        areaStates_[area]->setText(picture.status());
        areaExchanges_[area]->setText(watch.activity->lastExchange(area).text());
    }
    QString state = QStringLiteral("White level %1 · Edge level %2")
                        .arg(device.whiteLevel())
                        .arg(device.edgeLevel());
    if (watch.monitored.rs485)
        state +=
            QStringLiteral(" · address ") + QLatin1String(fields::twoDigits(device.slaveAddress()));
    deviceState_->setText(state);
    refreshRecentLines();
    emit refreshed();
}

// Appends what is new since the last refresh; another device starts the strip afresh.
void MonitorWindow::refreshRecentLines() {
    const DeviceActivity& activity = *watches_[watched_].activity;
    if (linesShownOf_ != watched_) {
        recentLines_->clear();
        linesShownOf_ = watched_;
        linesShown_ = activity.lineCount() - activity.recentLines().size();
    }
    const QStringList& lines = activity.recentLines();
    const qsizetype fresh = qMin<qint64>(activity.lineCount() - linesShown_, lines.size());
    for (qsizetype i = lines.size() - fresh; i < lines.size(); ++i)
        recentLines_->appendPlainText(lines[i]);
    linesShown_ = activity.lineCount();
}

} // namespace sim
