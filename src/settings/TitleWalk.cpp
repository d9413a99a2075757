#include "settings/TitleWalk.h"

#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "settings/DialogContext.h"

#include <QScopedValueRollback>

TitleWalk::TitleWalk(DialogContext& context, QObject* parent) : QObject(parent), context_(context) {
    // One repeating timer: restarting a single-shot timer at every tick drifts late.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TitleWalk::tick);
}

TitleWalk::~TitleWalk() {
    // A walk never outlives its dialog: the other dialogs and File > New must not stay locked.
    if (isRunning())
        context_.sender.setSequenceStep(0);
}

bool TitleWalk::start(TitleStorage storage) {
    CommandSender& sender = context_.sender;
    if (!sender.isLinkReady()) {
        context_.boxes.showError(QStringLiteral("Socket が接続されていません"));
        return false;
    }
    if (sender.exchange().sequenceStep != 0)
        return false;
    // A failure left over from an earlier line would stop this walk before its first title.
    if (sender.exchange().exchangeFailed != 0)
        sender.resetExchange();
    storage_ = storage;
    sender.setSequenceStep(1);
    timer_.start(storage == TitleStorage::Stored ? storedInterval : notStoredInterval);
    return true;
}

void TitleWalk::tick() {
    if (ticking_ || !isRunning())
        return;
    const QScopedValueRollback running(ticking_, true);
    CommandSender& sender = context_.sender;
    if (sender.exchange().exchangeFailed != 0) {
        end(Ending::Failed);
        return;
    }
    const int step = sender.exchange().sequenceStep;
    if (!sendTitle(context_, storage_, step - 1).isSendable()) {
        // Ended before the box opens, so that no tick comes while the operator reads it.
        end(Ending::Refused);
        context_.boxes.showError(titleRefusedMessage);
        return;
    }
    sender.setSequenceStep(step + 1);
    emit titleSent(step * 100 / titleCount);
    if (step >= titleCount)
        end(Ending::Completed);
}

void TitleWalk::end(Ending ending) {
    timer_.stop();
    CommandSender& sender = context_.sender;
    // The failure that ended the walk must not end the next one as well.
    if (sender.exchange().exchangeFailed != 0)
        sender.resetExchange();
    sender.setSequenceStep(0);
    emit ended(ending);
}
