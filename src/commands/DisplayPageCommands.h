#pragma once

#include <QByteArray>

struct CommandContext;

// "P0", channel, line, page: the page that a display area shows now. Pages 0 to 63 travel as
// "01" to "64"; AUTO (64), and anything above it, as "AS".
QByteArray displayPageLine(int area, int page);

// Writes the two characters of a page field: page + 1 as two digits, or "AS" for AUTO. A page
// below 0 (only a damaged document holds one) goes as page 1, so the line stays well formed.
void writePageField(int page, char* destination);

// Sends the display page of the area that the document holds.
void sendDisplayPage(CommandContext& context, int area);
