#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <QtTest>
#include <cmath>
#include <memory>

#include "art.h"
#include "assistant.h"
#include "lenvoro_audio/audio_output.h"
#include "lenvoro_audio/wave_file.h"
#include "test_support.h"

using namespace tukomi;
namespace audio = lenvoro::audio;

namespace {

const QString kCharacterFile = QStringLiteral(TUKOMI_SOURCE_DATA_DIR "/merlin.acs");
const QString kRecording = QStringLiteral(TUKOMI_SOURCE_DATA_DIR "/999/1.wav");
const QColor kWindowPink(255, 202, 202);

// Fast enough that three speeches take a fraction of a second, slow enough
// that every phase still gets a few event-loop turns.
constexpr double kFastTime = 0.02;
constexpr double kFastSound = 40.0;

// A 16-bit mono wave file of `frames` frames of a 440 Hz tone.
void writeTone(const QString& path, int frames, int rate = 22050) {
    QByteArray data;
    for (int i = 0; i < frames; ++i) {
        const auto sample = static_cast<qint16>(8000 * std::sin(2 * M_PI * 440 * i / rate));
        char bytes[2];
        qToLittleEndian(sample, bytes);
        data.append(bytes, 2);
    }
    QByteArray header("RIFF");
    char word[4];
    const auto put32 = [&](quint32 v) {
        qToLittleEndian(v, word);
        header.append(word, 4);
    };
    const auto put16 = [&](quint16 v) {
        qToLittleEndian(v, word);
        header.append(word, 2);
    };
    put32(36 + data.size());
    header.append("WAVEfmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    header.append("data");
    put32(data.size());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(header + data);
}

// Records what the assistant reports, in order, as "event:text".
struct EventLog {
    QStringList events;
    void attach(Assistant* a) {
        QObject::connect(a, &Assistant::requestStarted,
                         [this](const QString& t) { events << "request:" + t; });
        QObject::connect(a, &Assistant::speechStarted,
                         [this](const QString& t) { events << "speak:" + t; });
        QObject::connect(a, &Assistant::speechFinished,
                         [this](const QString& t) { events << "said:" + t; });
        QObject::connect(a, &Assistant::requestFinished,
                         [this](const QString& t) { events << "gone:" + t; });
        QObject::connect(a, &Assistant::idle, [this] { events << "idle"; });
    }
};

// Measures the longest time the event loop went without turning.
class StallWatch : public QObject {
public:
    StallWatch() {
        timer_.setInterval(2);
        connect(&timer_, &QTimer::timeout, this,
                [this] { longest_ = std::max(longest_, clock_.restart()); });
        clock_.start();
        timer_.start();
    }
    qint64 longestMs() const { return longest_; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 longest_ = 0;
};

}  // namespace

class AssistantTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<QWidget> host_;
    std::unique_ptr<Assistant> assistant_;

    Assistant* makeAssistant(double timeScale = kFastTime, double soundPace = kFastSound) {
        LoadError error;
        assistant_ = Assistant::Load(kCharacterFile, host_.get(), &error);
        if (!assistant_)
            qFatal("%s", qPrintable(error.message()));
        assistant_->setTimeScale(timeScale);
        assistant_->setOutputFactory([soundPace](const audio::AudioFormat& format) {
            return audio::openNullOutput(format, soundPace);
        });
        return assistant_.get();
    }

    bool waitIdle(int timeoutMs = 5000) {
        return QTest::qWaitFor([&] { return !assistant_->isBusy(); }, timeoutMs);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        installFontSubstitutions();
    }

    void init() {
        host_ = std::make_unique<QWidget>();
        host_->setFixedSize(598, 360);
        QPalette palette = host_->palette();
        palette.setColor(QPalette::Window, kWindowPink);
        host_->setPalette(palette);
        host_->setAutoFillBackground(true);
        host_->show();
        QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
    }

    void cleanup() {
        assistant_.reset();
        host_.reset();
    }

    void loadFailureNamesTheFile() {
        LoadError error;
        const QString missing = dir_.filePath(QStringLiteral("merlin.acs"));
        QVERIFY(!Assistant::Load(missing, host_.get(), &error));
        QVERIFY(error.message().startsWith(missing));
    }

    void hiddenUntilAskedAndStandsOverTheWindow() {
        Assistant* a = makeAssistant();
        QVERIFY(!a->isVisible());
        QVERIFY(!a->isBusy());
        QCOMPARE(a->parentWidget(), host_.get());
        QVERIFY(a->testAttribute(Qt::WA_TransparentForMouseEvents));
        a->AssistantSpeak(QStringLiteral("红红的苹果"), kRecording);
        QVERIFY(a->isVisible());
        QVERIFY(host_->rect().contains(a->geometry()));
        QVERIFY(waitIdle());
        QVERIFY(!a->isVisible());
    }

    // Three calls in a row: three whole speeches, in order, one after the
    // other, while the window keeps handling events.
    void requestsQueueAndNeverOverlap() {
        Assistant* a = makeAssistant();
        EventLog log;
        log.attach(a);
        StallWatch stalls;
        QElapsedTimer call;
        call.start();
        a->AssistantSpeak(QStringLiteral("一"), kRecording);
        a->AssistantSpeak(QStringLiteral("二"), dir_.filePath(QStringLiteral("missing.wav")));
        a->AssistantSpeak(QStringLiteral("三"), kRecording);
        QVERIFY2(call.elapsed() < 50, qPrintable(QString::number(call.elapsed())));
        QCOMPARE(a->pendingRequests(), 2);
        QVERIFY(waitIdle());
        const QStringList expected{"request:一", "speak:一", "said:一", "gone:一",    "request:二",
                                   "speak:二",   "said:二",  "gone:二", "request:三", "speak:三",
                                   "said:三",    "gone:三",  "idle"};
        QCOMPARE(log.events, expected);
        QVERIFY2(stalls.longestMs() < 100, qPrintable(QString::number(stalls.longestMs())));
    }

    // The character appears, talks with its mouth while the balloon is up,
    // and leaves; the balloon shows exactly the text and only while speaking.
    void appearsSpeaksInItsBalloonAndLeaves() {
        Assistant* a = makeAssistant();
        QStringList animations;
        connect(a, &Assistant::framePainted, this, [&](const QString& animation, int) {
            if (animations.isEmpty() || animations.last() != animation)
                animations << animation;
        });
        QStringList balloonAtStart;
        QStringList balloonAtEnd;
        connect(a, &Assistant::speechStarted, this, [&] { balloonAtStart << a->balloonText(); });
        connect(a, &Assistant::requestFinished, this, [&] { balloonAtEnd << a->balloonText(); });
        QVERIFY(a->balloonText().isEmpty());
        a->AssistantSpeak(QStringLiteral("小猫爱吃鱼"), kRecording);
        QVERIFY(waitIdle());
        QCOMPARE(balloonAtStart, QStringList{QStringLiteral("小猫爱吃鱼")});
        QCOMPARE(balloonAtEnd, QStringList{QString()});
        QVERIFY2(animations.size() >= 3, qPrintable(animations.join(',')));
        QCOMPARE(animations.first(), QStringLiteral("appear"));
        QVERIFY(animations.contains(QStringLiteral("speak")));
        QCOMPARE(animations.last(), QStringLiteral("disappear"));
        QVERIFY(animations.indexOf("speak") < animations.lastIndexOf("disappear"));
    }

    // What a person sees: the character, and the balloon with the text in the
    // balloon's colours above it, on the pink window.
    void speakingLooksRight() {
        Assistant* a = makeAssistant(/*timeScale=*/1.0, /*soundPace=*/1.0);
        QImage shot;
        connect(a, &Assistant::speechStarted, this,
                [&] { QTimer::singleShot(150, this, [&] { shot = host_->grab().toImage(); }); });
        const QString text = QStringLiteral("小鸭子游泳");
        a->AssistantSpeak(text, kRecording);
        QTRY_VERIFY_WITH_TIMEOUT(!shot.isNull(), 3000);
        assistant_.reset();  // stops mid-speech
        if (qEnvironmentVariableIsSet("ASSISTANT_SCREENSHOT")) {
            shot.save(qEnvironmentVariable("ASSISTANT_SCREENSHOT"));
        }
        shot = shot.scaled(host_->size());  // in window pixels, whatever the screen's scale
        const auto at = [&](QPoint p) { return shot.pixelColor(p); };
        const QRect figure(Assistant::kDefaultCharacterBottomRight - QPoint(127, 127),
                           QSize(128, 128));
        // The chick's yellow body right of its eyes, pink at the frame's corner.
        const QColor body = at(figure.topLeft() + QPoint(96, 52));
        QVERIFY2(body.red() > 230 && body.green() > 170 && body.blue() < 140,
                 qPrintable(body.name()));
        QCOMPARE(at(figure.bottomLeft() + QPoint(1, -1)), kWindowPink);
        // Above the character the balloon's light fill, with dark text in it.
        int light = 0;
        int dark = 0;
        for (int y = 0; y < figure.top(); ++y) {
            for (int x = 0; x < 598; ++x) {
                const QColor c = at(QPoint(x, y));
                light += c.lightness() > 245;
                dark += c.lightness() < 90;
            }
        }
        QVERIFY2(light > 5000, qPrintable(QString::number(light)));
        QVERIFY2(dark > 300, qPrintable(QString::number(dark)));
    }

    void emptyTextSpeaksWithoutBalloon() {
        Assistant* a = makeAssistant();
        bool balloonSeen = false;
        connect(a, &Assistant::speechStarted, this, [&] { balloonSeen = a->balloonVisible(); });
        QSignalSpy spoken(a, &Assistant::speechStarted);
        a->AssistantSpeak(QString(), kRecording);
        QVERIFY(waitIdle());
        QCOMPARE(spoken.count(), 1);
        QVERIFY(!balloonSeen);
    }

    // Without a usable recording the balloon stays up for about the time the
    // text takes: 0.35 s a character, at least 1.5 s (here at a tenth of the time).
    void missingOrBrokenRecordingStillShowsTheBalloon_data() {
        QTest::addColumn<QString>("recording");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expectedMs");
        const QString junk = dir_.filePath(QStringLiteral("junk.wav"));
        QFile file(junk);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("RIFF....WAVE but nothing after it");
        file.close();
        const QString silent = dir_.filePath(QStringLiteral("silent.wav"));
        writeTone(silent, 0);
        QTest::newRow("missing, short text") << dir_.filePath("nowhere.wav") << "苹果" << 150;
        QTest::newRow("missing, long text")
            << dir_.filePath("nowhere.wav") << "我们一起去公园里玩" << 315;
        QTest::newRow("not a wave file") << junk << "太阳" << 150;
        QTest::newRow("no sound in it") << silent << "月亮" << 150;
        QTest::newRow("no path") << QString() << "星星" << 150;
    }

    void missingOrBrokenRecordingStillShowsTheBalloon() {
        QFETCH(QString, recording);
        QFETCH(QString, text);
        QFETCH(int, expectedMs);
        Assistant* a = makeAssistant(/*timeScale=*/0.1);
        QSignalSpy unavailable(a, &Assistant::soundUnavailable);
        QElapsedTimer clock;
        qint64 startedAt = -1;
        qint64 finishedAt = -1;
        QString shown;
        connect(a, &Assistant::speechStarted, this, [&] {
            startedAt = clock.elapsed();
            shown = a->balloonText();
        });
        connect(a, &Assistant::speechFinished, this, [&] { finishedAt = clock.elapsed(); });
        clock.start();
        a->AssistantSpeak(text, recording);
        QVERIFY(waitIdle());
        QCOMPARE(unavailable.count(), 1);
        if (!recording.isEmpty()) {
            QVERIFY2(
                unavailable.first().first().toString().contains(QFileInfo(recording).fileName()),
                qPrintable(unavailable.first().first().toString()));
        }
        QCOMPARE(shown, text);
        const qint64 spoke = finishedAt - startedAt;
        QVERIFY2(spoke >= expectedMs - 5 && spoke < expectedMs + 250,
                 qPrintable(QString::number(spoke)));
    }

    // The recording goes to the sound output whole: the capture output
    // receives exactly as many frames as the file holds.
    void recordingIsPlayedWhole() {
        const QString captured = dir_.filePath(QStringLiteral("captured.wav"));
        Assistant* a = makeAssistant();
        a->setOutputFactory([captured](const audio::AudioFormat& format) {
            return audio::openCaptureOutput(format, captured.toStdString(), nullptr, kFastSound);
        });
        a->AssistantSpeak(QStringLiteral("红红的苹果"), kRecording);
        QVERIFY(waitIdle());
        const auto original = audio::readWaveFile(kRecording.toStdString());
        const auto heard = audio::readWaveFile(captured.toStdString());
        QVERIFY(original && heard);
        QCOMPARE(heard->frameCount(), original->frameCount());
        QVERIFY(heard->samples == original->samples);
    }

    // The default output follows LENVORO_AUDIO, as the game runs it; the
    // speech lasts as long as the recording at real-time pace.
    void defaultOutputPlaysAtRealTimePace() {
        const QString recording = dir_.filePath(QStringLiteral("tone.wav"));
        const int frames = 22050 * 3 / 10;
        writeTone(recording, frames);
        const QString captured = dir_.filePath(QStringLiteral("default-capture.wav"));
        const lenvoro::test::EnvironmentGuard output("LENVORO_AUDIO",
                                                     "capture:" + captured.toStdString());
        LoadError error;
        assistant_ = Assistant::Load(kCharacterFile, host_.get(), &error);
        QVERIFY(assistant_);
        assistant_->setTimeScale(kFastTime);
        QElapsedTimer clock;
        qint64 startedAt = -1;
        qint64 finishedAt = -1;
        connect(assistant_.get(), &Assistant::speechStarted, this,
                [&] { startedAt = clock.elapsed(); });
        connect(assistant_.get(), &Assistant::speechFinished, this,
                [&] { finishedAt = clock.elapsed(); });
        clock.start();
        assistant_->AssistantSpeak(QStringLiteral("叮"), recording);
        QVERIFY(waitIdle());
        const auto heard = audio::readWaveFile(captured.toStdString());
        QVERIFY(heard);
        QCOMPARE(heard->frameCount(), static_cast<std::size_t>(frames));
        const qint64 spoke = finishedAt - startedAt;
        QVERIFY2(spoke >= 280 && spoke < 800, qPrintable(QString::number(spoke)));
    }

    // Destroying the assistant mid-speech, or while the recording is still
    // being read, stops at once and cleanly.
    void destroyedWhileBusyStopsCleanly() {
        for (const bool waitForSpeech : {false, true}) {
            Assistant* a = makeAssistant(/*timeScale=*/1.0, /*soundPace=*/1.0);
            QSignalSpy started(a, &Assistant::speechStarted);
            a->AssistantSpeak(QStringLiteral("再见"), kRecording);
            a->AssistantSpeak(QStringLiteral("再见"), kRecording);
            if (waitForSpeech)
                QVERIFY(started.wait(3000));
            QElapsedTimer clock;
            clock.start();
            assistant_.reset();
            QVERIFY2(clock.elapsed() < 200, qPrintable(QString::number(clock.elapsed())));
            // Whatever was queued for the dead assistant is delivered now, and
            // must find nothing to run.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
        // The host outliving its assistant is the usual case; the reverse too.
        makeAssistant();
        assistant_->AssistantSpeak(QStringLiteral("再见"), kRecording);
        assistant_.release();  // the host owns it as its child from here
        host_.reset();
    }
};

QTEST_MAIN(AssistantTest)
#include "assistant_test.moc"
