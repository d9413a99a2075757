#pragma once

#include <QString>

// True when extension occurs anywhere in path but at its very start, compared case-sensitively.
// Save As appends the extension only when this is false, so "a.dat" and a folder "x.dat/a" keep
// their names while "a" and "a.DAT" get the extension added.
bool containsExtension(const QString& path, const QString& extension);
