#pragma once

#include "onair/TitleLine.h"

#include <QString>

struct SettingsDocument;

// What the title editor previews: the title line that the device would key for a page of the
// document, drawn by the same on-air code as the simulator's monitor.
//
// Each of the first fourteen characters is drawn as the character of the JIS code it is sent
// as (an IBM extended character as its NEC-selected twin), so the preview shows what the device
// receives. A character that cannot be sent is drawn as 〓, the mark the device shows for a code
// that names no character: the cell will not come out as typed. Registered glyphs live only in
// the device (one inserted there reads back as a full-width space), so a title of the document
// never holds one and the preview never draws one. The line stands at the area's display
// position, with the white and edge levels chosen in the character level dialog, and is keyed
// only while the page's title display is on.
onair::TitleLine titlePreviewLine(const SettingsDocument& document, int area, int page);

// The settings the line is drawn with, for the operator ("表示位置 7　白レベル 1　エッジレベル 1").
QString titlePreviewState(const onair::TitleLine& line);
