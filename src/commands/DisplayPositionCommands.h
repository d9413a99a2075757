#pragma once

#include <QByteArray>

struct CommandContext;

// The position steps of a display area, 0 to 15.
constexpr int displayPositionCount = 16;

// "CTDPO0", channel, line, position: the fine position of a display area. Unlike a page, the
// position goes as the value itself, "00" to "15"; a value outside that range (only a damaged
// document holds one) goes as the nearest step, so the line stays well formed.
QByteArray displayPositionLine(int area, int position);

// Sends the display position of the area that the document holds.
void sendDisplayPosition(CommandContext& context, int area);
