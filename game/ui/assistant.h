#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <thread>

#include "character_file.h"
#include "picture_library.h"
#include "speech_balloon.h"

class QTimer;

namespace lenvoro::audio {
class AudioOutput;
struct AudioFormat;
}  // namespace lenvoro::audio

namespace tukomi {

// The assistant character: it shows up over its host window, says a text in
// a speech balloon while a recording plays as its voice, and leaves.
//
// Each AssistantSpeak call is one request (show, speak, hide) and returns at
// once; requests wait in a queue and run one after the other, never
// overlapping. The recording is read and the sound output opened on a worker
// thread, so the window never waits for the disk or the sound device. When
// the recording is missing or unreadable the balloon stays up for about the
// time the text takes to say. Where there is no sound device the audio layer
// plays into its null output at real-time pace, so the character still speaks
// for the recording's length.
//
// The widget lies over its host, transparent and without taking the mouse,
// and is hidden while it has nothing to say. Its place and sizes are those
// of the host's layout at factor 1; setScale draws all of it larger, the
// way the host draws its layout.
class Assistant : public QWidget {
    Q_OBJECT
public:
    using OutputFactory = std::function<std::unique_ptr<lenvoro::audio::AudioOutput>(
        const lenvoro::audio::AudioFormat&)>;

    // Where the character stands when nothing else is set: the bottom-right
    // corner of its frame in host pixels, over the board's lower right.
    static constexpr QPoint kDefaultCharacterBottomRight{334, 358};
    // The balloon's text is wrapped to this width.
    static constexpr int kBalloonTextWidthPixels = 300;
    // Without a recording the balloon shows this long per character of text,
    // and at least kMinSilentSpeechMs.
    static constexpr int kSilentSpeechMsPerCharacter = 350;
    static constexpr int kMinSilentSpeechMs = 1500;
    // The balloon stays this long after the voice ends.
    static constexpr int kLingerMs = 600;
    // A sound output that stops advancing is given up this long after the
    // recording should have ended.
    static constexpr int kSoundGraceMs = 3000;

    // Loads the character file and makes the assistant a child of `host`.
    // Returns nullptr, with the reason in `error` when given, if the file is
    // missing, unreadable or not a valid character.
    static std::unique_ptr<Assistant> Load(const QString& characterFile, QWidget* host,
                                           LoadError* error = nullptr);

    Assistant(std::unique_ptr<CharacterFile> character, QWidget* host);
    // Stops any speech at once: the sound is cut and the worker joined.
    ~Assistant() override;

    // Queues show, speak `text` with the recording at `soundPath`, hide.
    // Returns at once.
    void AssistantSpeak(const QString& text, const QString& soundPath);
    // As AssistantSpeak, but at most one request waits behind the one being
    // heard: this one takes the place of any still waiting.
    void AssistantSpeakLatest(const QString& text, const QString& soundPath);
    // Forgets the requests still waiting; the one being heard goes on.
    void dropWaitingRequests();

    const CharacterFile& character() const { return *character_; }

    // Requests waiting behind the running one.
    int pendingRequests() const { return static_cast<int>(queue_.size()); }
    // True from the start of a request until the queue is empty and the
    // character has left.
    bool isBusy() const { return phase_ != Phase::Idle; }
    // The character's frame and the balloon, in host coordinates.
    QRect characterGeometry() const { return toHost(characterRect()); }
    QRect balloonGeometry() const { return toHost(balloonRect_.translated(wholeRect_.topLeft())); }
    // The balloon's text while the balloon is up, else empty.
    QString balloonText() const;
    bool balloonVisible() const { return balloonVisible_; }
    CharacterAnimation currentAnimation() const { return animation_; }
    int currentFrame() const { return frameIndex_; }

    // Where the character stands (bottom-right corner of its frame, pixels
    // of the host's layout at factor 1).
    void setCharacterBottomRight(QPoint bottomRight);
    // Draws the character and its balloon `factor` times their size, with
    // the host's layout at `origin`: as the host draws its own layout.
    void setScale(double factor, QPoint origin = QPoint());
    double scale() const { return scale_; }

    // Scales every animation frame, the linger and the silent speech time,
    // so that tests run fast. 1 is normal speed.
    void setTimeScale(double scale);
    double timeScale() const { return timeScale_; }

    // Opens the sound output for a recording; by default the audio layer's
    // openDefaultOutput, which follows LENVORO_AUDIO. Called on the worker thread.
    void setOutputFactory(OutputFactory factory);

signals:
    // A request leaves the queue and the character starts to appear.
    void requestStarted(const QString& text);
    // The balloon shows `text` and the voice starts.
    void speechStarted(const QString& text);
    // The recording could not be played; the balloon shows anyway.
    void soundUnavailable(const QString& reason);
    // The voice has ended (or the silent speech time is over).
    void speechFinished(const QString& text);
    // The character has left after saying `text`.
    void requestFinished(const QString& text);
    // The queue is empty and the character is hidden.
    void idle();
    // A frame of the character has been painted.
    void framePainted(const QString& animation, int frame);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    enum class Phase { Idle, Appearing, Waiting, Speaking, Lingering, Disappearing };
    struct Request {
        QString text;
        QString soundPath;
    };
    struct PreparedSound;

    void startNextRequest();
    void prepareSound(const QString& soundPath);
    void onSoundPrepared(std::uint64_t serial, std::shared_ptr<PreparedSound> sound);
    // Reads a recording onto a paused output; runs on the loader thread.
    static std::shared_ptr<PreparedSound> prepare(const std::string& path,
                                                  const OutputFactory& factory);
    void beginSpeech();
    void checkSpeechEnd();
    void endSpeech();
    void startDisappearing();
    void finishRequest();

    void play(CharacterAnimation animation, bool loop);
    void advanceFrame();
    void onAnimationEnded();
    int scaledMs(int ms) const;
    void placeWidget();
    QRect characterRect() const;
    // A rectangle of the layout at factor 1 in host pixels: every pixel it
    // touches.
    QRect toHost(const QRect& layoutRect) const;
    void joinWorker();

    std::unique_ptr<CharacterFile> character_;
    SpeechBalloon balloon_;
    QPoint characterBottomRight_ = kDefaultCharacterBottomRight;
    double scale_ = 1.0;
    QPoint origin_;
    QRect wholeRect_;    // frame and balloon, in the layout at factor 1
    QRect figureRect_;   // the character's frame, relative to wholeRect_
    QRect balloonRect_;  // the balloon, tail included, relative to wholeRect_
    double timeScale_ = 1.0;
    OutputFactory outputFactory_;

    std::deque<Request> queue_;
    Request current_;
    Phase phase_ = Phase::Idle;
    bool balloonVisible_ = false;

    CharacterAnimation animation_ = CharacterAnimation::Idle;
    int frameIndex_ = 0;
    bool loop_ = false;
    QTimer* frameTimer_ = nullptr;
    QTimer* lingerTimer_ = nullptr;  // the balloon's stay after the voice
    QTimer* pollTimer_ = nullptr;    // follows the voice, or times the silent speech

    std::thread worker_;
    std::uint64_t serial_ = 0;
    std::shared_ptr<PreparedSound> sound_;
    bool soundReady_ = false;
    std::unique_ptr<lenvoro::audio::AudioOutput> output_;
    std::uint64_t soundFrames_ = 0;
    qint64 speechLimitMs_ = 0;
    QElapsedTimer speechClock_;
};

}  // namespace tukomi
