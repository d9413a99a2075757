#pragma once

#include "core/TrafficStream.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QMetaObject>
#include <QTimer>
#include <deque>

class CommandSender;
struct Exchange;

// The rows of the traffic window: every line of the traffic stream and the outcome of every
// exchange, the last `capacity` of them, in the order they happened. It reads only while the
// window is open (startReading), so that a closed window costs the traffic nothing.
//
// A device may send thousands of lines a second: a line is only queued as it comes, and the
// queue joins the rows in one batch every batchInterval, where the view takes it at once. What
// is queued is bounded like the rows. The texts of a row are made when they are shown.
class TrafficModel : public QAbstractTableModel, public TrafficReader {
    Q_OBJECT
public:
    static constexpr qsizetype capacity = 10000;
    static constexpr int batchInterval = 100; // ms

    enum Column { TimeColumn, DirectionColumn, LinkColumn, AddressColumn, TextColumn };
    static constexpr int columns = TextColumn + 1;

    explicit TrafficModel(CommandSender& sender, QObject* parent = nullptr);
    ~TrafficModel() override;

    void startReading();
    void stopReading();
    bool isReading() const { return reading_; }

    // Adds the queued rows now rather than at the end of the batch.
    void addQueued();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The row for copying and saving: the date and time, then the other columns, tab-separated.
    QString rowText(int row) const;

    void readTraffic(const TrafficLine& line) override;

signals:
    // A batch is about to join the rows, and has: the view follows the newest row.
    void batchAboutToBeAdded();
    void batchAdded();

private:
    struct Row {
        qint64 time = 0; // milliseconds since the epoch
        bool outcome = false;
        TrafficDirection direction = TrafficDirection::Sent;
        QByteArray link;
        QByteArray address;
        QByteArray bytes;    // the line; empty for a dropped one
        QString outcomeText; // of an outcome row
    };
    // Where the line of an exchange went, to name it on the exchange's outcome row.
    struct LineSent {
        QByteArray link;
        QByteArray address;
    };

    void exchangeStarted(const Exchange& exchange);
    void exchangeFinished(const Exchange& exchange);
    void queue(Row row);
    QString columnText(const Row& row, int column) const;
    QString timeText(qint64 time) const;

    CommandSender& sender_;
    bool reading_ = false;
    QList<QMetaObject::Connection> connections_;
    std::deque<Row> rows_;
    std::deque<Row> queued_;
    QTimer batchTimer_;
    quint64 sending_ = 0; // the exchange whose line is about to be sent
    QHash<quint64, LineSent> linesSent_;
    // "HH:mm:ss" of the last second shown: most rows of a second share it.
    mutable qint64 shownSecond_ = -1;
    mutable QString shownSecondText_;
};
