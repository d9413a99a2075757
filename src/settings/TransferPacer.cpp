#include "settings/TransferPacer.h"

#include <utility>

TransferPacer::TransferPacer(std::function<void()> step, QObject* parent)
    : QObject(parent), step_(std::move(step)) {
    timer_.setObjectName(QStringLiteral("runTimer"));
    timer_.setParent(this);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TransferPacer::tick);
}

void TransferPacer::start(int milliseconds) {
    timer_.start(milliseconds);
}

void TransferPacer::stop() {
    timer_.stop();
}

void TransferPacer::tick() {
    if (ticking_)
        return;
    ticking_ = true;
    step_();
    ticking_ = false;
}
