#include "ctl/ProgressBar.h"

#include <algorithm>

namespace {

constexpr int barWidth = 30;
constexpr qint64 rewriteMs = 200;

QString minutes(qint64 milliseconds) {
    const qint64 seconds = milliseconds / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

QString progressText(qint64 done, qint64 total, qint64 elapsedMs) {
    done = std::clamp<qint64>(done, 0, std::max<qint64>(total, 1));
    const qint64 percent = total > 0 ? done * 100 / total : 100;
    const int filled = int(total > 0 ? done * barWidth / total : barWidth);
    const QString left =
        done > 0 ? minutes(elapsedMs * (total - done) / done) : QStringLiteral("-:--");
    return QStringLiteral("[%1%2] %3 %  %4 elapsed  %5 left")
        .arg(QString(filled, QLatin1Char('#')), QString(barWidth - filled, QLatin1Char('.')))
        .arg(percent, 3)
        .arg(minutes(elapsedMs), left);
}

ProgressBar::ProgressBar(QTextStream& stream, bool shown, qint64 total)
    : stream_(stream), shown_(shown), total_(total) {
    clock_.start();
    write();
}

void ProgressBar::advance() {
    ++done_;
    if (clock_.elapsed() - writtenAt_ >= rewriteMs)
        write();
}

void ProgressBar::finish() {
    if (!shown_)
        return;
    write();
    stream_ << "\n";
    stream_.flush();
    shown_ = false;
}

void ProgressBar::write() {
    if (!shown_)
        return;
    writtenAt_ = clock_.elapsed();
    stream_ << '\r' << progressText(done_, total_, writtenAt_);
    stream_.flush();
}
