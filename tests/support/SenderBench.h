#pragma once

#include "core/AppState.h"
#include "core/SettingsDocument.h"
#include "protocol/CommandSender.h"
#include "protocol/MessageBoxes.h"
#include "support/RecordingChannels.h"
#include "support/RecordingPrompts.h"

// The program's command sender on links that record what is written (serial always ready), with
// the state and the document it works on and boxes that are recorded instead of shown.
struct SenderBench {
    AppState state;
    SettingsDocument document;
    RecordingPrompts prompts;
    RecordingSerialChannel serial;
    RecordingTcpChannel tcp;
    MessageBoxes boxes{prompts, state.dialogs};
    CommandSender sender{state, document, boxes, serial, tcp};
};
