#pragma once

#include <QByteArray>

struct CommandContext;

// "SUS0", channel, line, page: the page that a display area shows when the device starts,
// written like the display page ("01" to "64", "AS" for AUTO).
QByteArray startupPageLine(int area, int page);

// Sends the start-up page of the area that the document holds.
void sendStartupPage(CommandContext& context, int area);
