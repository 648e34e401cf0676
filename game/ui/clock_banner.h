#pragma once

#include <QObject>
#include <array>

class QLabel;
class QTimer;

namespace tukomi {

class PictureControl;

// The seconds clock under the picture list: while a game begun with Start
// runs it counts the seconds, one a tick of its timer "Timer2", and shows
// them in its label ("75秒").
class SecondsClock : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 1000;

    // Shows the count in `label`.
    SecondsClock(QLabel* label, QObject* parent);

    QTimer* timer() const { return timer_; }
    int seconds() const { return seconds_; }

    // Counts from 0 again and runs. The label keeps the time it shows until
    // the next tick.
    void restart();
    void stop();
    // One tick: a second more, shown in the label.
    void advance();

private:
    QLabel* label_;
    QTimer* timer_;
    int seconds_ = 0;
};

// The turning banner: six picture frames at one place, the next one raised
// to the front at each tick of its timer "Timer1", round and round.
class TurningBanner : public QObject {
    Q_OBJECT
public:
    static constexpr int kFrameCount = 6;
    static constexpr int kIntervalMs = 2000;

    // The first of `frames` starts in front; they must be siblings.
    TurningBanner(const std::array<PictureControl*, kFrameCount>& frames, QObject* parent);

    QTimer* timer() const { return timer_; }
    PictureControl* frame(int i) const { return frames_.at(static_cast<std::size_t>(i)); }
    const std::array<PictureControl*, kFrameCount>& frames() const { return frames_; }

    void start();
    // One tick: the next frame to the front.
    void turn();
    // The frame drawn over the others, by the siblings' stacking order; -1
    // when none is among them.
    int frontFrame() const;

private:
    std::array<PictureControl*, kFrameCount> frames_;
    QTimer* timer_;
    // The frame the last tick raised; -1 after the last frame, so that the
    // next tick raises the first.
    int turned_ = 0;
};

}  // namespace tukomi
