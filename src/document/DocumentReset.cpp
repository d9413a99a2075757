#include "document/DocumentReset.h"

#include "core/AppState.h"
#include "core/SettingsDocument.h"

void resetDocument(SettingsDocument& document, AppState& state) {
    for (int area = 0; area < SettingsDocument::areaCount; ++area) {
        document.startupPage[area] = 0;
        document.displayPage[area] = 0;
        document.autoSwitchTimes[area].fill(2);
        document.titleDisplayOn[area].fill(1);
    }
    for (auto& title : document.titleTexts)
        title.clear();
    document.displayPosition.fill(7);
    document.selectedWhiteLevel = 1;
    document.selectedEdgeLevel = 1;
    document.documentPath.clear();
    document.documentModified = 0;

    state.savedImeOpen = 0;
    state.link.slaveAddress = 0;
    state.selectedPage = 0;
    state.glyphSample.fill('0');
    state.changedTitles.reset();
}
