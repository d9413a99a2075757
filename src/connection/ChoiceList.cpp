#include "connection/ChoiceList.h"

#include "app/AppState.h"
#include "settings/DialogSetup.h"

#include <QComboBox>

void bindChoiceList(QComboBox& list, const QStringList& entries, AppState& state,
                    int AppState::*field, ProfileFile& file, SettingWriter write, ChoiceLock lock) {
    const bool locked = lock == ChoiceLock::WhileConnected && state.tcpConnected == 1;
    fillList(list, entries, locked ? -1 : state.*field);
    list.setEnabled(!locked);
    QObject::connect(&list, &QComboBox::activated, &list, [&state, field, &file, write](int index) {
        state.*field = index;
        write(file, state);
    });
}
