#pragma once

class QAbstractSocket;

// How soon a device that vanished without closing its connection (power cut, cable pulled) is
// noticed: after `idleSeconds` without traffic the system probes every `intervalSeconds`, and
// after `probes` probes without an answer the connection fails; a line sent and not
// acknowledged for as long fails it too. About 30 s by default.
struct KeepAlive {
    int idleSeconds = 10;
    int intervalSeconds = 5;
    int probes = 4;

    int failSeconds() const { return idleSeconds + intervalSeconds * probes; }
};

// Switches keep-alive probes on for a connected socket, with the timing where the system lets
// a program set it (Linux, Windows); elsewhere with the system's own timing.
void enableKeepAlive(QAbstractSocket& socket, const KeepAlive& keepAlive);
