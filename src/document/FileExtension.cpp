#include "document/FileExtension.h"

bool containsExtension(const QString& path, const QString& extension) {
    // The last occurrence is at index 0 only when there is no other.
    return path.lastIndexOf(extension, Qt::CaseSensitive) >= 1;
}
