#include "link/ConfigFolder.h"

#include <QDir>
#include <QStandardPaths>

ConfigFolder ConfigFolder::standard() {
    return ConfigFolder(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

QString ConfigFolder::filePath(const QString& name) const {
    return QDir(path_).filePath(name);
}
