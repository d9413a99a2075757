#pragma once

#include <QString>

// The folder that holds the program's settings file, and on Linux the links that name its serial
// ports. The program uses the user's configuration folder; tests hand in a folder of their own
// so that they never touch the real one.
class ConfigFolder {
public:
    explicit ConfigFolder(QString path) : path_(std::move(path)) {}

    // XDG_CONFIG_HOME, by default ~/.config, on Linux; the local application data on Windows.
    static ConfigFolder standard();

    const QString& path() const { return path_; }
    QString filePath(const QString& name) const;

private:
    QString path_;
};
