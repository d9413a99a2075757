#pragma once

class QFileDevice;

// Where saving meets the operating system: waits until what was written to the open file is on
// the disk, so that a file renamed into place after a crash is never empty.
bool syncToDisk(QFileDevice& file);
