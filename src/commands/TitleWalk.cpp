#include "commands/TitleWalk.h"

#include "commands/CommandContext.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"

TitleWalk::TitleWalk(CommandContext& context, QObject* parent)
    : QObject(parent), context_(context),
      pacer_(
          context, QStringLiteral("walkTimer"), [this](int sequenceStep) { step(sequenceStep); },
          this) {
    connect(&pacer_, &TransferPacer::failed, this, [this] { emit ended(Ending::Failed); });
}

bool TitleWalk::start(TitleStorage storage) {
    if (!pacer_.begin(storage == TitleStorage::Stored ? storedInterval : notStoredInterval))
        return false;
    storage_ = storage;
    return true;
}

void TitleWalk::step(int sequenceStep) {
    if (!sendTitle(context_, storage_, sequenceStep - 1).isSendable()) {
        // Ended before the box opens, so that no tick comes while the operator reads it.
        end(Ending::Refused);
        context_.boxes.showError(titleRefusedMessage);
        return;
    }
    context_.sender.setSequenceStep(sequenceStep + 1);
    emit titleSent(sequenceStep * 100 / titleCount);
    if (sequenceStep >= titleCount)
        end(Ending::Completed);
}

void TitleWalk::end(Ending ending) {
    pacer_.end();
    emit ended(ending);
}
