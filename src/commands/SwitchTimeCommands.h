#pragma once

#include "core/SettingsDocument.h"

#include <QByteArray>

struct CommandContext;

// The time a page stays up before the next one follows: 0 to 99 seconds.
constexpr int switchTimeCount = 100;

// The seconds that travel for a stored time: a value outside 0 to 99 (only a damaged document
// holds one) goes as the nearest, so the two digits of its field stay digits.
int sendableSeconds(int seconds);

// "AST", channel, line, page, seconds: the switching time of one page.
QByteArray switchTimeLine(int area, int page, int seconds);

// "AST", channel, line, then the seconds of pages 1 to 64, two digits each.
QByteArray switchTimesLine(int area, const std::array<int, SettingsDocument::pageCount>& times);

// Sends the time of the page chosen in the dialogs (selectedArea, selectedPage); nothing while
// a multi-command transfer runs.
void sendSwitchTime(CommandContext& context);

// Sends the times of all 64 pages of the area.
void sendSwitchTimes(CommandContext& context, int area);
