#include "sim/Device.h"

#include <QTest>

class SimDeviceTest : public QObject {
    Q_OBJECT
private slots:
    // A simulator left running under a busy program keeps only the recent traffic, in order.
    void recordsKeepRecentLines() {
        sim::Device device;
        const int count = 100'000; // a hundred times what is kept
        for (int i = 0; i < count; ++i) {
            device.receive(QByteArray::number(i) + "\r\n");
            device.recordReplySent(QByteArray::number(i));
        }
        for (const QList<QByteArray>* records : {&device.receivedLines(), &device.sentReplies()}) {
            QCOMPARE(records->size(), sim::Device::keptRecords);
            QCOMPARE(records->first(), QByteArray::number(count - sim::Device::keptRecords));
        }
    }
};

QTEST_GUILESS_MAIN(SimDeviceTest)
#include "tst_simdevice.moc"
