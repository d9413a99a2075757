#pragma once

#include <QByteArray>

// The read-back walks the device's settings in this many steps, one request per step.
constexpr int readBackStepCount = 285;

// The read request of step 1 to readBackStepCount, with its CR LF: first the fixed block (the
// switching times, on flags, positions, both levels, start-up and current pages; the bottom
// line of each channel before its top line), then seven idle steps, then the 256 titles from
// ch.1 Top page 1 to ch.2 Bottom page 64. Empty for the idle steps and any other step.
QByteArray readBackRequest(int step);
