#pragma once

#include "core/LinkConfiguration.h"
#include "link/ProfileFile.h"

#include <QStringList>
#include <functional>

class QComboBox;
class TcpLink;

// Writes one key of the settings file from its field (the writers of LinkSettings.h).
using SettingWriter = bool (*)(ProfileFile& file, const LinkConfiguration& link);

enum class ChoiceLock {
    Open,
    // The list is disabled and shows no choice: the interface and the role must not change
    // under an open TCP connection.
    Locked,
};

// Locked while the TCP link is connected.
ChoiceLock lockedWhileConnected(const TcpLink& tcp);

// Fills the list with its entries (the index being the value), shows the current value, and from
// then on stores every choice of the operator and writes its key at once.
void bindChoiceList(QComboBox& list, const QStringList& entries, LinkConfiguration& link,
                    int current, std::function<void(int)> store, ProfileFile& file,
                    SettingWriter write, ChoiceLock lock = ChoiceLock::Open);

// The same for a field of the link settings, an int or an enum numbered as the list.
template <typename Field>
void bindChoiceList(QComboBox& list, const QStringList& entries, LinkConfiguration& link,
                    Field LinkConfiguration::*field, ProfileFile& file, SettingWriter write,
                    ChoiceLock lock = ChoiceLock::Open) {
    bindChoiceList(
        list, entries, link, int(link.*field),
        [&link, field](int index) { link.*field = Field(index); }, file, write, lock);
}
