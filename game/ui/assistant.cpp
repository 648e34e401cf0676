#include "assistant.h"

#include <QFile>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "lenvoro_audio/audio_output.h"
#include "lenvoro_audio/wave_file.h"

namespace tukomi {
namespace {

namespace audio = lenvoro::audio;

// How often the voice's progress is checked; short enough that the mouth
// stops with the sound.
constexpr int kSoundPollMs = 15;
// The balloon's tail points at this spot of the character's frame (its head).
constexpr double kTailTipFractionX = 0.45;
// The balloon sits this far left of the character's right edge, and overlaps
// the frame's empty top by this much.
constexpr int kBalloonInsetPixels = 10;
constexpr int kBalloonOverlapPixels = 6;
// Recordings longer than this are not played (about 10 minutes at 22.05 kHz).
constexpr std::size_t kMaxRecordingFrames = std::size_t{22050} * 600;

}  // namespace

// What the worker hands back: the recording queued on a paused output, or
// why there is no sound.
struct Assistant::PreparedSound {
    std::unique_ptr<audio::AudioOutput> output;
    std::uint64_t frames = 0;
    double seconds = 0;
    QString problem;
};

std::unique_ptr<Assistant> Assistant::Load(const QString& characterFile, QWidget* host,
                                           LoadError* error) {
    std::unique_ptr<CharacterFile> character = CharacterFile::Load(characterFile, error);
    if (!character)
        return nullptr;
    return std::make_unique<Assistant>(std::move(character), host);
}

Assistant::Assistant(std::unique_ptr<CharacterFile> character, QWidget* host)
    : QWidget(host),
      character_(std::move(character)),
      balloon_(character_->balloon()),
      outputFactory_(
          [](const audio::AudioFormat& format) { return audio::openDefaultOutput(format); }) {
    setObjectName(QStringLiteral("Assistant"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);

    frameTimer_ = new QTimer(this);
    frameTimer_->setSingleShot(true);
    connect(frameTimer_, &QTimer::timeout, this, &Assistant::advanceFrame);
    lingerTimer_ = new QTimer(this);
    lingerTimer_->setSingleShot(true);
    connect(lingerTimer_, &QTimer::timeout, this, &Assistant::startDisappearing);
    pollTimer_ = new QTimer(this);
    pollTimer_->setInterval(kSoundPollMs);
    connect(pollTimer_, &QTimer::timeout, this, &Assistant::checkSpeechEnd);

    balloon_.setText(QString(), kBalloonTextWidthPixels);
    placeWidget();
    hide();
}

Assistant::~Assistant() {
    frameTimer_->stop();
    lingerTimer_->stop();
    pollTimer_->stop();
    joinWorker();
    if (output_)
        output_->discard();
    output_.reset();
}

void Assistant::joinWorker() {
    if (worker_.joinable())
        worker_.join();
}

void Assistant::AssistantSpeak(const QString& text, const QString& soundPath) {
    queue_.push_back({text, soundPath});
    if (phase_ == Phase::Idle)
        startNextRequest();
}

void Assistant::AssistantSpeakLatest(const QString& text, const QString& soundPath) {
    queue_.clear();
    AssistantSpeak(text, soundPath);
}

void Assistant::dropWaitingRequests() {
    queue_.clear();
}

QString Assistant::balloonText() const {
    return balloonVisible_ ? balloon_.text() : QString();
}

void Assistant::setCharacterBottomRight(QPoint bottomRight) {
    characterBottomRight_ = bottomRight;
    placeWidget();
}

void Assistant::setScale(double factor, QPoint origin) {
    scale_ = std::isfinite(factor) && factor > 0 ? factor : 1.0;
    origin_ = origin;
    placeWidget();
    update();
}

void Assistant::setTimeScale(double scale) {
    timeScale_ = std::isfinite(scale) && scale > 0 ? scale : 1.0;
}

void Assistant::setOutputFactory(OutputFactory factory) {
    if (factory)
        outputFactory_ = std::move(factory);
}

int Assistant::scaledMs(int ms) const {
    return std::max(1, static_cast<int>(std::lround(ms * timeScale_)));
}

void Assistant::startNextRequest() {
    current_ = std::move(queue_.front());
    queue_.pop_front();
    balloonVisible_ = false;
    balloon_.setText(current_.text, kBalloonTextWidthPixels);
    placeWidget();
    phase_ = Phase::Appearing;
    prepareSound(current_.soundPath);
    emit requestStarted(current_.text);
    show();
    raise();
    play(CharacterAnimation::Appear, /*loop=*/false);
}

void Assistant::prepareSound(const QString& soundPath) {
    joinWorker();
    soundReady_ = false;
    sound_.reset();
    const std::uint64_t serial = ++serial_;
    const std::string path = QFile::encodeName(soundPath).toStdString();
    worker_ = std::thread([this, serial, path, factory = outputFactory_] {
        std::shared_ptr<PreparedSound> sound;
        try {
            sound = prepare(path, factory);
        } catch (const std::exception&) {
            // Out of memory: the helper speaks without its recording.
            sound = std::make_shared<PreparedSound>();
            sound->problem = QString::fromStdString(path) + QStringLiteral(": not enough memory");
        }
        QMetaObject::invokeMethod(
            this, [this, serial, sound] { onSoundPrepared(serial, sound); }, Qt::QueuedConnection);
    });
}

std::shared_ptr<Assistant::PreparedSound> Assistant::prepare(const std::string& path,
                                                             const OutputFactory& factory) {
    auto sound = std::make_shared<PreparedSound>();
    std::string error;
    if (path.empty()) {
        sound->problem = QStringLiteral("no recording given");
    } else if (auto wave = audio::readWaveFile(path, &error, kMaxRecordingFrames)) {
        if (wave->frameCount() == 0) {
            sound->problem = QString::fromStdString(path) + QStringLiteral(": no sound in it");
        } else {
            // Queued on a paused output, so that starting the voice on the
            // window's thread costs nothing.
            sound->output = factory(wave->format);
            if (sound->output) {
                sound->output->setPaused(true);
                sound->output->write(wave->samples.data(), wave->frameCount());
                sound->frames = wave->frameCount();
                sound->seconds = wave->durationSeconds();
            } else {
                sound->problem = QStringLiteral("no sound output");
            }
        }
    } else {
        sound->problem = QString::fromStdString(error);
    }
    return sound;
}

void Assistant::onSoundPrepared(std::uint64_t serial, std::shared_ptr<PreparedSound> sound) {
    if (serial != serial_)
        return;
    joinWorker();
    sound_ = std::move(sound);
    soundReady_ = true;
    if (phase_ == Phase::Waiting)
        beginSpeech();
}

void Assistant::beginSpeech() {
    phase_ = Phase::Speaking;
    balloonVisible_ = !balloon_.isEmpty();
    speechClock_.start();
    if (sound_ && sound_->output) {
        output_ = std::move(sound_->output);
        soundFrames_ = sound_->frames;
        speechLimitMs_ = static_cast<qint64>(sound_->seconds * 1000) + kSoundGraceMs;
        output_->setPaused(false);
        pollTimer_->start();
    } else {
        const QString reason = sound_ ? sound_->problem : QStringLiteral("no recording");
        const int silentMs =
            std::max<int>(kMinSilentSpeechMs,
                          static_cast<int>(current_.text.size()) * kSilentSpeechMsPerCharacter);
        speechLimitMs_ = scaledMs(silentMs);
        pollTimer_->start();
        emit soundUnavailable(reason);
    }
    sound_.reset();
    emit speechStarted(current_.text);
    play(CharacterAnimation::Speak, /*loop=*/true);
}

void Assistant::checkSpeechEnd() {
    if (phase_ != Phase::Speaking)
        return;
    const bool soundDone = output_ && output_->framesPlayed() >= soundFrames_;
    if (soundDone || speechClock_.elapsed() >= speechLimitMs_)
        endSpeech();
}

void Assistant::endSpeech() {
    pollTimer_->stop();
    phase_ = Phase::Lingering;
    emit speechFinished(current_.text);
    play(CharacterAnimation::Idle, /*loop=*/true);
    lingerTimer_->start(scaledMs(kLingerMs));
}

void Assistant::startDisappearing() {
    phase_ = Phase::Disappearing;
    balloonVisible_ = false;
    play(CharacterAnimation::Disappear, /*loop=*/false);
}

void Assistant::finishRequest() {
    // The output lives until the character has left, so a sound card's last
    // buffer is heard out rather than cut.
    output_.reset();
    const QString said = current_.text;
    current_ = {};
    emit requestFinished(said);
    if (!queue_.empty()) {
        startNextRequest();
        return;
    }
    phase_ = Phase::Idle;
    hide();
    emit idle();
}

void Assistant::play(CharacterAnimation animation, bool loop) {
    animation_ = animation;
    frameIndex_ = 0;
    loop_ = loop;
    // Pieces raised while the character is out must not cover it.
    raise();
    update();
    frameTimer_->start(scaledMs(character_->frames(animation).front().durationMs));
}

void Assistant::advanceFrame() {
    const auto& frames = character_->frames(animation_);
    if (frameIndex_ + 1 < static_cast<int>(frames.size())) {
        ++frameIndex_;
    } else if (loop_) {
        frameIndex_ = 0;
    } else {
        onAnimationEnded();
        return;
    }
    update();
    frameTimer_->start(scaledMs(frames[static_cast<std::size_t>(frameIndex_)].durationMs));
}

void Assistant::onAnimationEnded() {
    switch (phase_) {
        case Phase::Appearing:
            if (soundReady_) {
                beginSpeech();
            } else {
                phase_ = Phase::Waiting;
                play(CharacterAnimation::Idle, /*loop=*/true);
            }
            break;
        case Phase::Disappearing:
            finishRequest();
            break;
        default:
            break;
    }
}

QRect Assistant::characterRect() const {
    const QSize frame = character_->frameSize();
    return QRect(characterBottomRight_ - QPoint(frame.width() - 1, frame.height() - 1), frame);
}

QRect Assistant::toHost(const QRect& layoutRect) const {
    const QRectF scaled(layoutRect.x() * scale_, layoutRect.y() * scale_,
                        layoutRect.width() * scale_, layoutRect.height() * scale_);
    return scaled.toAlignedRect().translated(origin_);
}

void Assistant::placeWidget() {
    // The widget spans the character and the balloon above it; both are
    // drawn relative to its top-left corner.
    const QRect figure = characterRect();
    const QSize balloonSize = balloon_.size();
    QRect balloon(QPoint(figure.right() - kBalloonInsetPixels - balloonSize.width() + 1,
                         figure.top() + kBalloonOverlapPixels - balloonSize.height()),
                  balloonSize);
    if (balloon.left() < 0)
        balloon.moveLeft(0);
    if (balloon.top() < 0)
        balloon.moveTop(0);
    wholeRect_ = figure.united(balloon);
    setGeometry(toHost(wholeRect_));
    figureRect_ = figure.translated(-wholeRect_.topLeft());
    balloonRect_ = balloon.translated(-wholeRect_.topLeft());
}

void Assistant::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Drawn in the layout's pixels at factor 1, from the widget's corner.
    painter.translate(QPointF(origin_ - pos()) + QPointF(wholeRect_.topLeft()) * scale_);
    painter.scale(scale_, scale_);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const auto& frames = character_->frames(animation_);
    const int index = std::clamp(frameIndex_, 0, static_cast<int>(frames.size()) - 1);
    painter.drawImage(QRectF(figureRect_),
                      character_->frameImage(animation_, index, scale_ * devicePixelRatioF()));
    if (balloonVisible_) {
        const int tailTip = figureRect_.left() +
                            static_cast<int>(figureRect_.width() * kTailTipFractionX) -
                            balloonRect_.left();
        balloon_.paint(painter, balloonRect_.topLeft(), tailTip);
    }
    emit framePainted(QString::fromLatin1(characterAnimationName(animation_)), index);
}

}  // namespace tukomi
