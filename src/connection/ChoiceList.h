#pragma once

#include "link/ProfileFile.h"

#include <QStringList>

class QComboBox;
struct AppState;

// Writes one key of the settings file from its field (the writers of LinkSettings.h).
using SettingWriter = bool (*)(ProfileFile& file, const AppState& state);

enum class ChoiceLock {
    Never,
    // The interface and the role must not change under an open TCP connection: while
    // tcpConnected is 1 the list is disabled and shows no choice.
    WhileConnected,
};

// Fills the list with its entries (the index being the value), shows the field's value, and
// from then on stores every choice of the operator in the field and writes its key at once.
void bindChoiceList(QComboBox& list, const QStringList& entries, AppState& state,
                    int AppState::*field, ProfileFile& file, SettingWriter write,
                    ChoiceLock lock = ChoiceLock::Never);
