#pragma once

#include <QByteArray>

struct CommandContext;

// The levels of the white and the edge of the characters, 0 to 3.
constexpr int characterLevelCount = 4;

// "CWL" and the white level digit; "CEL" and the edge level digit. A level outside 0 to 3 goes
// as the nearest one.
QByteArray whiteLevelLine(int level);
QByteArray edgeLevelLine(int level);

// Send the levels chosen in the character level dialog (selectedWhiteLevel and
// selectedEdgeLevel), never the levels last read back from the device.
void sendWhiteLevel(CommandContext& context);
void sendEdgeLevel(CommandContext& context);
