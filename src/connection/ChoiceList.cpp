#include "connection/ChoiceList.h"

#include "core/AppState.h"
#include "settings/DialogSetup.h"

#include <QComboBox>

void bindChoiceList(QComboBox& list, const QStringList& entries, AppState& state, int current,
                    std::function<void(int)> store, ProfileFile& file, SettingWriter write,
                    ChoiceLock lock) {
    const bool locked = lock == ChoiceLock::WhileConnected && state.tcpConnected == 1;
    fillList(list, entries, locked ? -1 : current);
    list.setEnabled(!locked);
    QObject::connect(&list, &QComboBox::activated, &list,
                     [&link = state.link, store = std::move(store), &file, write](int index) {
                         store(index);
                         write(file, link);
                     });
}
