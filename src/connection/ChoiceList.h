#pragma once

#include "core/AppState.h"
#include "link/ProfileFile.h"

#include <QStringList>
#include <functional>

class QComboBox;

// Writes one key of the settings file from its field (the writers of LinkSettings.h).
using SettingWriter = bool (*)(ProfileFile& file, const LinkConfiguration& link);

enum class ChoiceLock {
    Never,
    // The interface and the role must not change under an open TCP connection: while
    // tcpConnected is 1 the list is disabled and shows no choice.
    WhileConnected,
};

// Fills the list with its entries (the index being the value), shows the current value, and from
// then on stores every choice of the operator and writes its key at once.
void bindChoiceList(QComboBox& list, const QStringList& entries, AppState& state, int current,
                    std::function<void(int)> store, ProfileFile& file, SettingWriter write,
                    ChoiceLock lock = ChoiceLock::Never);

// The same for a field of the link settings, an int or an enum numbered as the list.
template <typename Field>
void bindChoiceList(QComboBox& list, const QStringList& entries, AppState& state,
                    Field LinkConfiguration::*field, ProfileFile& file, SettingWriter write,
                    ChoiceLock lock = ChoiceLock::Never);

template <typename Field>
void bindChoiceList(QComboBox& list, const QStringList& entries, AppState& state,
                    Field LinkConfiguration::*field, ProfileFile& file, SettingWriter write,
                    ChoiceLock lock) {
    LinkConfiguration& link = state.link;
    bindChoiceList(
        list, entries, state, int(link.*field),
        [&link, field](int index) { link.*field = Field(index); }, file, write, lock);
}
