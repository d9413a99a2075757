#include "commands/TransferRun.h"

#include "commands/CharacterLevelCommands.h"
#include "commands/CommandContext.h"
#include "commands/DisplayFlagCommands.h"
#include "commands/DisplayPageCommands.h"
#include "commands/DisplayPositionCommands.h"
#include "commands/ReadBackCommands.h"
#include "commands/StartupPageCommands.h"
#include "commands/SwitchTimeCommands.h"
#include "commands/TitleCommands.h"
#include "core/SettingsDocument.h"
#include "protocol/CommandSender.h"

namespace {

// Send All's steps from 0, after the titles: two pauses that slow the pace down for the long
// lines, and groups of one line per area, ch.1 Top first.
constexpr int firstPause = 256;
constexpr int secondPause = 261;
constexpr int whiteLevelStep = 266;
constexpr int edgeLevelStep = 267;

struct AreaSteps {
    int first;
    void (*send)(CommandContext& context, int area);
};
constexpr AreaSteps areaSteps[] = {{257, sendSwitchTimes},
                                   {262, sendDisplayFlags},
                                   {268, sendStartupPage},
                                   {272, sendDisplayPosition},
                                   {276, sendDisplayPage}};

} // namespace

TransferRun::TransferRun(CommandContext& context, TransferKind kind, QObject* parent)
    : QObject(parent), context_(context), kind_(kind),
      pacer_(
          context, QStringLiteral("runTimer"), [this](int sequenceStep) { step(sequenceStep); },
          this) {
    connect(&pacer_, &TransferPacer::failed, this, [this] { emit ended(Ending::Failed); });
}

bool TransferRun::start() {
    return pacer_.begin(kind_ == TransferKind::SendAll ? sendAllTitleInterval : readBackInterval);
}

int TransferRun::stepCount() const {
    return kind_ == TransferKind::SendAll ? sendAllStepCount : readBackStepCount;
}

int TransferRun::percentageBase() const {
    return kind_ == TransferKind::SendAll ? sendAllStepCount : readBackStepCount + 1;
}

void TransferRun::step(int sequenceStep) {
    bool carriedOut = true;
    if (kind_ == TransferKind::SendAll) {
        carriedOut = sendAllStep(sequenceStep);
    } else if (const QByteArray request = readBackRequest(sequenceStep); !request.isEmpty()) {
        context_.sender.send(request);
    }
    emit stepped(sequenceStep);
    context_.sender.setSequenceStep(sequenceStep + 1);
    if (sequenceStep < stepCount() && carriedOut)
        return;
    pacer_.end();
    emit ended(carriedOut ? Ending::Completed : Ending::Refused);
}

bool TransferRun::sendAllStep(int sequenceStep) {
    const int step = sequenceStep - 1;
    if (step < SettingsDocument::titleCount)
        return sendTitle(context_, TitleStorage::Stored, step).isSendable();
    if (step == firstPause || step == secondPause) {
        pacer_.setInterval(sendAllSettingInterval);
        return true;
    }
    if (step == whiteLevelStep)
        sendWhiteLevel(context_);
    if (step == edgeLevelStep)
        sendEdgeLevel(context_);
    for (const AreaSteps& group : areaSteps) {
        if (step >= group.first && step < group.first + SettingsDocument::areaCount)
            group.send(context_, step - group.first);
    }
    return true;
}
