#pragma once

#include <QObject>

class QSocketNotifier;

namespace sim {

// Turns SIGINT and SIGTERM into a Qt signal on the event loop. The signal handler only writes
// the signal's number into a socket pair; a socket notifier reads it on the event loop.
// Only one instance may be installed in a process.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

    bool install();

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace sim
