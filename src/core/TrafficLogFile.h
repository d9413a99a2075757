#pragma once

#include <QString>

// Writes the messages of the traffic logging category (every line sent to and received from the
// device) to a file, each with a time stamp; every other message goes where it went before.
// The category is switched on while the file is open.
class TrafficLogFile {
public:
    static constexpr const char* categoryName = "zev.traffic";

    // Opens the file for appending; false, with the reason in errorText(), when it cannot.
    bool open(const QString& path);
    QString errorText() const { return errorText_; }

    ~TrafficLogFile();

private:
    QString errorText_;
    bool installed_ = false;
};
