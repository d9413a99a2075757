#include "link/SocketKeepAlive.h"

#include <QAbstractSocket>
#include <QVariant>

#ifdef Q_OS_WIN
#include <mstcpip.h>
#include <winsock2.h>
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

void enableKeepAlive(QAbstractSocket& socket, const KeepAlive& keepAlive) {
    socket.setSocketOption(QAbstractSocket::KeepAliveOption, QVariant(1));
    const qintptr descriptor = socket.socketDescriptor();
    if (descriptor == -1)
        return;
#ifdef Q_OS_WIN
    // Windows sends ten probes; the interval is chosen so that they end when ours would.
    tcp_keepalive values{1, ULONG(keepAlive.idleSeconds) * 1000,
                         ULONG(keepAlive.intervalSeconds * keepAlive.probes) * 100};
    DWORD returned = 0;
    WSAIoctl(SOCKET(descriptor), SIO_KEEPALIVE_VALS, &values, sizeof values, nullptr, 0, &returned,
             nullptr, nullptr);
#else
    const auto set = [descriptor](int level, int option, int value) {
        setsockopt(int(descriptor), level, option, &value, sizeof value);
    };
#ifdef TCP_KEEPIDLE
    set(IPPROTO_TCP, TCP_KEEPIDLE, keepAlive.idleSeconds);
#endif
#ifdef TCP_KEEPINTVL
    set(IPPROTO_TCP, TCP_KEEPINTVL, keepAlive.intervalSeconds);
#endif
#ifdef TCP_KEEPCNT
    set(IPPROTO_TCP, TCP_KEEPCNT, keepAlive.probes);
#endif
#ifdef TCP_USER_TIMEOUT
    // Probes are not sent while data waits for its acknowledgement.
    set(IPPROTO_TCP, TCP_USER_TIMEOUT, keepAlive.failSeconds() * 1000);
#endif
#endif
}
