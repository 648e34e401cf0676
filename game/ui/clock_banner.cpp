#include "clock_banner.h"

#include <QLabel>
#include <QTimer>
#include <QWidget>

#include "picture_control.h"

namespace tukomi {

SecondsClock::SecondsClock(QLabel* label, QObject* parent)
    : QObject(parent), label_(label), timer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("Timer2"));
    timer_->setInterval(kIntervalMs);
    connect(timer_, &QTimer::timeout, this, &SecondsClock::advance);
}

void SecondsClock::restart() {
    seconds_ = 0;
    timer_->start();
}

void SecondsClock::stop() {
    timer_->stop();
}

void SecondsClock::advance() {
    ++seconds_;
    label_->setText(QString::number(seconds_) + QStringLiteral("秒"));
}

TurningBanner::TurningBanner(const std::array<PictureControl*, kFrameCount>& frames,
                             QObject* parent)
    : QObject(parent), frames_(frames), timer_(new QTimer(this)) {
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(kIntervalMs);
    connect(timer_, &QTimer::timeout, this, &TurningBanner::turn);
    frames_[0]->raise();
}

void TurningBanner::start() {
    timer_->start();
}

void TurningBanner::turn() {
    ++turned_;
    frame(turned_)->raise();
    if (turned_ == kFrameCount - 1)
        turned_ = -1;
}

int TurningBanner::frontFrame() const {
    // Siblings are listed back to front; the last banner frame among them is on top.
    int front = -1;
    for (const QObject* child : frames_[0]->parentWidget()->children())
        for (std::size_t i = 0; i < frames_.size(); ++i)
            if (child == frames_[i])
                front = static_cast<int>(i);
    return front;
}

}  // namespace tukomi
