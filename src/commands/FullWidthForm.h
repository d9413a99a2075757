#pragma once

#include <QString>

// The device keys full-width characters only. What an operator types half-width by habit (ASCII,
// the blank, half-width katakana) has a full-width form that it can key: "Breaking News" becomes
// "Ｂｒｅａｋｉｎｇ　Ｎｅｗｓ", "ｶﾞｲﾄﾞ" becomes "ガイド" (a sound mark joins the kana before it
// where a kana with that mark exists). Every other character stays as it is.
QString fullWidthForm(const QString& text);
