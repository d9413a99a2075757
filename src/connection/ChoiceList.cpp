#include "connection/ChoiceList.h"

#include "link/TcpLink.h"
#include "ui/DialogSetup.h"

#include <QComboBox>

ChoiceLock lockedWhileConnected(const TcpLink& tcp) {
    return tcp.tcpConnected() ? ChoiceLock::Locked : ChoiceLock::Open;
}

void bindChoiceList(QComboBox& list, const QStringList& entries, LinkConfiguration& link,
                    int current, std::function<void(int)> store, ProfileFile& file,
                    SettingWriter write, ChoiceLock lock) {
    const bool locked = lock == ChoiceLock::Locked;
    fillList(list, entries, locked ? -1 : current);
    list.setEnabled(!locked);
    QObject::connect(&list, &QComboBox::activated, &list,
                     [&link, store = std::move(store), &file, write](int index) {
                         store(index);
                         write(file, link);
                     });
}
