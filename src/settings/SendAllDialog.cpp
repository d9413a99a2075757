#include "settings/SendAllDialog.h"

#include "document/SettingsDocument.h"
#include "settings/CharacterLevelCommands.h"
#include "settings/DialogContext.h"
#include "settings/DisplayFlagCommands.h"
#include "settings/DisplayPageCommands.h"
#include "settings/DisplayPositionCommands.h"
#include "settings/StartupPageCommands.h"
#include "settings/SwitchTimeCommands.h"
#include "settings/TitleCommands.h"
#include "ui_SendAllDialog.h"

namespace {

// Steps from 0, after the titles: two pauses that slow the pace down for the long lines, and
// groups of one line per area, ch.1 Top first.
constexpr int firstPause = 256;
constexpr int secondPause = 261;
constexpr int whiteLevelStep = 266;
constexpr int edgeLevelStep = 267;

struct AreaSteps {
    int first;
    void (*send)(DialogContext& context, int area);
};
constexpr AreaSteps areaSteps[] = {{257, sendSwitchTimes},
                                   {262, sendDisplayFlags},
                                   {268, sendStartupPage},
                                   {272, sendDisplayPosition},
                                   {276, sendDisplayPage}};

} // namespace

SendAllDialog::SendAllDialog(DialogContext& context, QWidget* parent)
    : TransferDialog(context, {stepCount, stepCount, titleInterval, titleRefusedMessage}, parent),
      form_(std::make_unique<Ui::SendAllDialog>()) {
    form_->setupUi(this);
    // Unlike the other dialogs' captions, this one has no blank before the address.
    setUp({form_->sendButton, form_->percentageEdit, form_->progressBar, form_->slaveAddressList,
           form_->closeButton},
          QStringLiteral("全項目の設定"));
}

SendAllDialog::~SendAllDialog() = default;

bool SendAllDialog::runStep(int sequenceStep) {
    const int step = sequenceStep - 1;
    if (step < SettingsDocument::titleCount)
        return sendTitle(context(), TitleStorage::Stored, step).isSendable();
    if (step == firstPause || step == secondPause) {
        pacer().setInterval(settingInterval);
        return true;
    }
    if (step == whiteLevelStep)
        sendWhiteLevel(context());
    if (step == edgeLevelStep)
        sendEdgeLevel(context());
    for (const AreaSteps& group : areaSteps) {
        if (step >= group.first && step < group.first + SettingsDocument::areaCount)
            group.send(context(), step - group.first);
    }
    return true;
}
