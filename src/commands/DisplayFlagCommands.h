#pragma once

#include "core/SettingsDocument.h"

#include <QByteArray>

struct CommandContext;

// "CTD", channel, line, page, "ON" or "OF": whether the device shows the title of one page.
// Any flag other than 0 counts as on, so a damaged document still gives a well-formed line.
QByteArray displayFlagLine(int area, int page, int flag);

// "CTD", channel, line, then one letter per page 1 to 64: "N" for a title shown, "F" for one
// that is not.
QByteArray displayFlagsLine(int area, const std::array<int, SettingsDocument::pageCount>& flags);

// Sends the flag of the page chosen in the dialogs (selectedArea, selectedPage).
void sendDisplayFlag(CommandContext& context);

// Sends the flags of all 64 pages of the area.
void sendDisplayFlags(CommandContext& context, int area);
