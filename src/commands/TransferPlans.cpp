#include "commands/TransferPlans.h"

#include "commands/ChangedTitles.h"
#include "commands/CharacterLevelCommands.h"
#include "commands/CommandContext.h"
#include "commands/DisplayFlagCommands.h"
#include "commands/DisplayPageCommands.h"
#include "commands/DisplayPositionCommands.h"
#include "commands/ReadBackCommands.h"
#include "commands/StartupPageCommands.h"
#include "commands/SwitchTimeCommands.h"
#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "protocol/CommandSender.h"

namespace {

void appendTitles(TransferPlan& plan, CommandContext& context, TitleStorage storage, int interval) {
    plan.append(SettingsDocument::titleCount, interval, [&context, storage](int index) {
        return sendTitle(context, storage, index).isSendable();
    });
}

void appendAreas(TransferPlan& plan, CommandContext& context, SendArea send, int interval) {
    plan.append(SettingsDocument::areaCount, interval, [&context, send](int area) {
        send(context, area);
        return true;
    });
}

// A step that sends one line of the document's settings.
void appendSetting(TransferPlan& plan, CommandContext& context, void (*send)(CommandContext&)) {
    plan.append(1, sendAllSettingInterval, [&context, send](int) {
        send(context);
        return true;
    });
}

} // namespace

TransferPlan titleWalkPlan(CommandContext& context, TitleStorage storage) {
    TransferPlan plan;
    appendTitles(plan, context, storage,
                 storage == TitleStorage::Stored ? titleWalkStoredInterval
                                                 : titleWalkNotStoredInterval);
    return plan;
}

TransferPlan changedTitlesPlan(CommandContext& context) {
    TransferPlan plan;
    for (const int index : ChangedTitles::indexes(context.state)) {
        plan.append(1, titleWalkStoredInterval, [&context, index](int) {
            return sendTitle(context, TitleStorage::Stored, index).isSendable();
        });
    }
    return plan;
}

TransferPlan areaPlan(CommandContext& context, SendArea send, int interval) {
    TransferPlan plan;
    appendAreas(plan, context, send, interval);
    return plan;
}

// The pauses slow the pace down for the long lines that follow the titles.
TransferPlan sendAllPlan(CommandContext& context) {
    TransferPlan plan;
    appendTitles(plan, context, TitleStorage::Stored, sendAllTitleInterval);
    plan.appendPause(sendAllTitleInterval);
    appendAreas(plan, context, sendSwitchTimes, sendAllSettingInterval);
    plan.appendPause(sendAllSettingInterval);
    appendAreas(plan, context, sendDisplayFlags, sendAllSettingInterval);
    appendSetting(plan, context, sendWhiteLevel);
    appendSetting(plan, context, sendEdgeLevel);
    appendAreas(plan, context, sendStartupPage, sendAllSettingInterval);
    appendAreas(plan, context, sendDisplayPosition, sendAllSettingInterval);
    appendAreas(plan, context, sendDisplayPage, sendAllSettingInterval);
    return plan;
}

TransferPlan readBackPlan(CommandContext& context) {
    TransferPlan plan{{}, readBackStepCount + 1};
    plan.append(readBackStepCount, readBackInterval, [&context](int index) {
        if (const QByteArray request = readBackRequest(index + 1); !request.isEmpty())
            context.sender.send(request);
        return true;
    });
    return plan;
}
