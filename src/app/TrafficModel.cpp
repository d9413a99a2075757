#include "app/TrafficModel.h"

#include "app/ViewTexts.h"
#include "protocol/CommandSender.h"

#include <QDateTime>

TrafficModel::TrafficModel(CommandSender& sender, QObject* parent)
    : QAbstractTableModel(parent), sender_(sender) {
    batchTimer_.setSingleShot(true);
    batchTimer_.setInterval(batchInterval);
    connect(&batchTimer_, &QTimer::timeout, this, &TrafficModel::addQueued);
}

TrafficModel::~TrafficModel() {
    TrafficStream::removeReader(this);
}

void TrafficModel::startReading() {
    if (reading_)
        return;
    reading_ = true;
    TrafficStream::addReader(this);
    connections_ = {
        connect(&sender_, &CommandSender::exchangeStarted, this, &TrafficModel::exchangeStarted),
        connect(&sender_, &CommandSender::exchangeFinished, this, &TrafficModel::exchangeFinished)};
}

void TrafficModel::stopReading() {
    if (!reading_)
        return;
    reading_ = false;
    TrafficStream::removeReader(this);
    for (const QMetaObject::Connection& connection : connections_)
        disconnect(connection);
    connections_.clear();
    sending_ = 0;
    linesSent_.clear();
    addQueued();
}

void TrafficModel::readTraffic(const TrafficLine& line) {
    // The command sender hands the line to the link right after it started the exchange.
    if (line.direction == TrafficDirection::Sent && sending_ != 0) {
        linesSent_.insert(sending_, {line.link, line.address});
        sending_ = 0;
    }
    queue({line.time, false, line.direction, line.link, line.address, line.bytes, {}});
}

void TrafficModel::exchangeStarted(const Exchange& exchange) {
    sending_ = exchange.id;
}

void TrafficModel::exchangeFinished(const Exchange& exchange) {
    if (sending_ == exchange.id)
        sending_ = 0; // ended before anything was sent
    const LineSent sent = linesSent_.take(exchange.id);
    queue({exchange.endedAt.toMSecsSinceEpoch(),
           true,
           TrafficDirection::Sent,
           sent.link,
           sent.address,
           {},
           outcomeRowText(exchange)});
}

void TrafficModel::queue(Row row) {
    if (qsizetype(queued_.size()) >= capacity)
        queued_.pop_front();
    queued_.push_back(std::move(row));
    if (!batchTimer_.isActive())
        batchTimer_.start();
}

void TrafficModel::addQueued() {
    batchTimer_.stop();
    if (queued_.empty())
        return;
    emit batchAboutToBeAdded();
    const qsizetype overflow = qsizetype(rows_.size() + queued_.size()) - capacity;
    if (overflow > 0) {
        beginRemoveRows({}, 0, int(overflow - 1));
        rows_.erase(rows_.begin(), rows_.begin() + overflow);
        endRemoveRows();
    }
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(queued_.size()) - 1);
    std::move(queued_.begin(), queued_.end(), std::back_inserter(rows_));
    queued_.clear();
    endInsertRows();
    emit batchAdded();
}

int TrafficModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int TrafficModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns;
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size()))
        return {};
    const Row& row = rows_[std::size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return columnText(row, index.column());
    case Qt::ToolTipRole:
        return index.column() == TextColumn ? columnText(row, TextColumn) : QVariant();
    default:
        return {};
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return trafficColumnTitles().value(section);
}

QString TrafficModel::columnText(const Row& row, int column) const {
    switch (column) {
    case TimeColumn:
        return timeText(row.time);
    case DirectionColumn:
        return row.outcome ? outcomeDirectionText() : trafficDirectionText(row.direction);
    case LinkColumn:
        return QString::fromUtf8(row.link);
    case AddressColumn:
        return QString::fromLatin1(row.address);
    case TextColumn:
        break;
    }
    if (row.outcome)
        return row.outcomeText;
    return trafficLineText(row.bytes);
}

QString TrafficModel::timeText(qint64 time) const {
    if (time / 1000 != shownSecond_) {
        shownSecond_ = time / 1000;
        shownSecondText_ = QDateTime::fromMSecsSinceEpoch(shownSecond_ * 1000)
                               .toString(QStringLiteral("HH:mm:ss."));
    }
    return shownSecondText_ + QString::number(time % 1000).rightJustified(3, QLatin1Char('0'));
}

QString TrafficModel::rowText(int row) const {
    const Row& shown = rows_[std::size_t(row)];
    QStringList texts{QDateTime::fromMSecsSinceEpoch(shown.time)
                          .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))};
    for (int column = DirectionColumn; column < columns; ++column)
        texts << columnText(shown, column);
    return texts.join(QLatin1Char('\t'));
}
