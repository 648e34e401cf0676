#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <mutex>
#include <thread>

#include "engine/file_stream.h"
#include "engine/markup.h"
#include "engine/synthesizer.h"
#include "engine/voice.h"
#include "voice_support.h"

namespace lenvoro::engine {
namespace {

using Clock = std::chrono::steady_clock;

// Collects what a voice reports, with the time each event was fetched.
struct Recorder {
    std::mutex mutex;
    std::vector<VoiceEvent> events;
    std::vector<double> seconds;
    Clock::time_point start = Clock::now();

    void attach(Voice& voice) {
        voice.setInterest(kAllSpeechEvents, kAllSpeechEvents);
        voice.setNotifyCallback([this, &voice] {
            VoiceEvent event;
            while (voice.getEvent(&event) == kOk) {
                std::lock_guard lock(mutex);
                events.push_back(event);
                seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
            }
        });
    }
    std::vector<VoiceEvent> words() {
        std::lock_guard lock(mutex);
        std::vector<VoiceEvent> found;
        for (const auto& e : events) {
            if (e.id == kEventWordBoundary)
                found.push_back(e);
        }
        return found;
    }
    size_t count(int32_t id) {
        std::lock_guard lock(mutex);
        return static_cast<size_t>(std::count_if(events.begin(), events.end(),
                                                 [id](const VoiceEvent& e) { return e.id == id; }));
    }
    bool waitFor(int32_t id, size_t n, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        return test::waitFor([&] { return count(id) >= n; }, limit);
    }
};

std::u16string longEnglish(int sentences) {
    std::u16string text;
    for (int i = 0; i < sentences; ++i)
        text += u"The quick brown fox jumps over the lazy dog. ";
    return text;
}

TEST(Voice, WordEventsCarryUtf16OffsetsOfTheTextWithTags) {
    auto voice = test::makeVoice(8.0);
    Recorder recorder;
    recorder.attach(*voice);
    const std::u16string text =
        u"<voice required=\"Name=Microsoft Simplified Chinese\">你好，世界。</voice>"
        u"<voice required=\"Name=Microsoft Mary\">Hello \U0001F600 world.</voice>";
    ASSERT_EQ(voice->speak(text, kSpeakSync), kOk);
    std::lock_guard lock(recorder.mutex);
    ASSERT_GE(recorder.events.size(), 4u);
    EXPECT_EQ(recorder.events.front().id, kEventStartInputStream);
    EXPECT_EQ(recorder.events.back().id, kEventEndInputStream);
    std::vector<std::u16string> words;
    uint64_t lastOffset = 0;
    for (const auto& e : recorder.events) {
        EXPECT_GE(e.audioStreamOffset, lastOffset);
        lastOffset = e.audioStreamOffset;
        if (e.id != kEventWordBoundary)
            continue;
        ASSERT_GE(e.wordPosition, 0);
        ASSERT_LE(static_cast<size_t>(e.wordPosition + e.wordLength), text.size());
        words.push_back(text.substr(e.wordPosition, e.wordLength));
    }
    // One event per Chinese word, whole English words, all in order.
    const std::vector<std::u16string> expected = {u"你好", u"世界", u"Hello", u"world"};
    std::vector<std::u16string> spoken;
    for (const auto& w : words) {
        if (std::find(expected.begin(), expected.end(), w) != expected.end())
            spoken.push_back(w);
    }
    EXPECT_EQ(spoken, expected);
}

TEST(Voice, EventsAreReleasedOnlyWhenTheAudioReachesThem) {
    auto voice = test::makeVoice(1.0);  // real time
    Recorder recorder;
    recorder.attach(*voice);
    recorder.start = Clock::now();
    ASSERT_EQ(voice->speak(u"One two three four five six.", kSpeakAsync), kOk);
    // The call returns at once; the reading is still going on.
    EXPECT_EQ(voice->status().runningState, kRunningStateSpeaking);
    ASSERT_EQ(voice->waitUntilDone(), kOk);
    std::lock_guard lock(recorder.mutex);
    ASSERT_GE(recorder.events.size(), 7u);
    const double bytesPerSecond = 22050 * 2;
    for (size_t i = 0; i < recorder.events.size(); ++i) {
        // The clock of the output cannot run ahead of real time, so no event
        // may arrive before its audio position (one pacing tick of slack).
        const double heardAt = recorder.events[i].audioStreamOffset / bytesPerSecond;
        EXPECT_GE(recorder.seconds[i] + 0.01, heardAt) << "event " << i;
    }
    const double total = recorder.events.back().audioStreamOffset / bytesPerSecond;
    EXPECT_GT(total, 1.0);
    EXPECT_GE(recorder.seconds.back() + 0.01, total);
}

TEST(Voice, StatusReportsTheWordBeingHeard) {
    auto voice = test::makeVoice(2.0);
    Recorder recorder;
    recorder.attach(*voice);
    const std::u16string text = u"alpha bravo charlie delta echo foxtrot golf hotel";
    voice->speak(text, kSpeakAsync);
    ASSERT_TRUE(recorder.waitFor(kEventWordBoundary, 3));
    const VoiceStatus status = voice->status();
    EXPECT_EQ(status.runningState, kRunningStateSpeaking);
    const auto word = text.substr(status.inputWordPosition, status.inputWordLength);
    EXPECT_NE(text.find(word), std::u16string::npos);
    EXPECT_GT(status.inputWordPosition, 0);
    voice->waitUntilDone();
    EXPECT_EQ(voice->status().runningState, kRunningStateDone);
    EXPECT_EQ(text.substr(voice->status().inputWordPosition, voice->status().inputWordLength),
              u"hotel");
}

TEST(Voice, PurgeStopsALongReadingAtOnceAndEndsItsStream) {
    auto voice = test::makeVoice(1.0);
    Recorder recorder;
    recorder.attach(*voice);
    voice->speak(longEnglish(200), kSpeakAsync);
    voice->speak(u"queued behind", kSpeakAsync);
    ASSERT_TRUE(recorder.waitFor(kEventWordBoundary, 1));
    ASSERT_EQ(voice->speak(u"", kSpeakAsync | kSpeakPurgeBeforeSpeak), kOk);
    EXPECT_EQ(voice->waitUntilDone(2000), kOk);
    EXPECT_EQ(voice->status().runningState, kRunningStateDone);
    EXPECT_TRUE(recorder.waitFor(kEventEndInputStream, 1));
    EXPECT_EQ(recorder.count(kEventStartInputStream), 1u);  // the queued text never started
    // The voice reads normally afterwards.
    voice->speak(u"again", kSpeakSync);
    EXPECT_EQ(recorder.count(kEventEndInputStream), 2u);
}

TEST(Voice, PauseHoldsThePositionAndResumeContinues) {
    auto voice = test::makeVoice(2.0);
    Recorder recorder;
    recorder.attach(*voice);
    voice->speak(longEnglish(3), kSpeakAsync);
    ASSERT_TRUE(recorder.waitFor(kEventWordBoundary, 2));
    voice->pause();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // let a released event land
    const size_t wordsAtPause = recorder.words().size();
    EXPECT_EQ(voice->waitUntilDone(400), kFalse);
    EXPECT_EQ(recorder.words().size(), wordsAtPause);
    voice->resume();
    EXPECT_EQ(voice->waitUntilDone(), kOk);
    EXPECT_GT(recorder.words().size(), wordsAtPause);
}

TEST(Voice, PurgeWhilePausedDoesNotHang) {
    auto voice = test::makeVoice(1.0);
    voice->speak(longEnglish(20), kSpeakAsync);
    voice->pause();
    // The reading has begun (its start is heard at once, paused or not).
    ASSERT_TRUE(test::waitFor([&] { return voice->status().currentStream == 1; }));
    voice->speak(u"", kSpeakPurgeBeforeSpeak);
    EXPECT_EQ(voice->waitUntilDone(2000), kOk);
    voice->resume();
}

TEST(Voice, DestroyingAVoiceWhileItSpeaksReturnsPromptly) {
    for (int i = 0; i < 5; ++i) {
        auto voice = test::makeVoice(1.0);
        voice->speak(longEnglish(50), kSpeakAsync);
        std::this_thread::sleep_for(std::chrono::milliseconds(i * 7));
        voice.reset();
    }
}

// Holds espeak-ng, as a voice synthesising a long piece would, until let go.
class SynthesizerHolder {
public:
    SynthesizerHolder() {
        std::promise<void> held;
        auto isHeld = held.get_future();
        thread_ = std::thread([this, held = std::move(held)]() mutable {
            Synthesizer::instance().runExclusively([&] {
                held.set_value();
                letGo_.get_future().wait();
            });
        });
        isHeld.wait();
    }
    ~SynthesizerHolder() { letGoNow(); }
    void letGoNow() {
        if (!thread_.joinable())
            return;
        letGo_.set_value();
        thread_.join();
    }

private:
    std::promise<void> letGo_;
    std::thread thread_;
};

TEST(Voice, PurgeAndReleaseDoNotWaitForTheSynthesisInProgress) {
    auto voice = test::makeVoice(1.0);
    Recorder recorder;
    recorder.attach(*voice);
    SynthesizerHolder holder;
    ASSERT_EQ(voice->speak(longEnglish(3), kSpeakAsync), kOk);
    // Once the text's start is out, the worker's next step is the
    // synthesizer, where it waits.
    ASSERT_TRUE(recorder.waitFor(kEventStartInputStream, 1));
    ASSERT_EQ(voice->speak(u"", kSpeakAsync | kSpeakPurgeBeforeSpeak), kOk);
    EXPECT_EQ(voice->waitUntilDone(0), kOk);
    EXPECT_EQ(voice->status().runningState, kRunningStateDone);
    // Queued behind the synthesis that still waits: released meanwhile.
    ASSERT_EQ(voice->speak(longEnglish(3), kSpeakAsync), kOk);
    auto released = std::async(std::launch::async, [&voice] { voice.reset(); });
    EXPECT_EQ(released.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    holder.letGoNow();
    released.wait();
    // The released voice's worker leaves the synthesizer to the next voice.
    auto next = test::makeVoice(64.0);
    EXPECT_EQ(next->speak(u"Still speaking.", kSpeakAsync), kOk);
    EXPECT_EQ(next->waitUntilDone(10000), kOk);
}

TEST(Voice, PurgeEndsAStreamThatIsStillBeingHeard) {
    auto voice = test::makeVoice(1.0);
    Recorder recorder;
    recorder.attach(*voice);
    ASSERT_EQ(voice->speak(u"One two three four.", kSpeakAsync), kOk);
    // By the second word heard the short text is long synthesised.
    ASSERT_TRUE(recorder.waitFor(kEventWordBoundary, 2));
    ASSERT_EQ(voice->speak(u"", kSpeakAsync | kSpeakPurgeBeforeSpeak), kOk);
    EXPECT_EQ(voice->waitUntilDone(0), kOk);
    EXPECT_TRUE(recorder.waitFor(kEventEndInputStream, 1, std::chrono::seconds(5)));
}

TEST(Voice, TwoVoicesSpeakingAtOnceTakeTurnsWithoutDeadlock) {
    auto chinese = test::makeVoice(16.0);
    auto english = test::makeVoice(16.0);
    chinese->setVoice(test::voiceNamed(u"Chinese Female Voice"));
    english->setVoice(test::voiceNamed(u"Microsoft Sam"));
    Recorder a, b;
    a.attach(*chinese);
    b.attach(*english);
    std::thread first(
        [&] { chinese->speak(u"春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。", kSpeakSync); });
    std::thread second([&] { english->speak(longEnglish(4), kSpeakSync); });
    first.join();
    second.join();
    EXPECT_EQ(a.count(kEventEndInputStream), 1u);
    EXPECT_EQ(b.count(kEventEndInputStream), 1u);
    // Every one of the poem's 20 characters was heard in a word.
    size_t heard = 0;
    for (const VoiceEvent& word : a.words())
        heard += static_cast<size_t>(word.wordLength);
    EXPECT_EQ(heard, 20u);
    EXPECT_GE(b.words().size(), 36u);
}

TEST(Voice, SettingsAreCheckedAndKept) {
    auto voice = test::makeVoice();
    EXPECT_EQ(voice->setRate(11), kInvalidArg);
    EXPECT_EQ(voice->setRate(-11), kInvalidArg);
    EXPECT_EQ(voice->setVolume(101), kInvalidArg);
    EXPECT_EQ(voice->setVolume(-1), kInvalidArg);
    EXPECT_EQ(voice->setRate(-10), kOk);
    EXPECT_EQ(voice->setVolume(0), kOk);
    int32_t rate = 0, volume = 0;
    voice->getRate(&rate);
    voice->getVolume(&volume);
    EXPECT_EQ(rate, -10);
    EXPECT_EQ(volume, 0);
    EXPECT_EQ(voice->speak(u"x", 0x4000), kInvalidFlags);
    EXPECT_EQ(voice->speak(u"x", kSpeakIsXml | kSpeakIsNotXml), kInvalidFlags);
    std::shared_ptr<const ObjectToken> token;
    auto mary = test::voiceNamed(u"Microsoft Mary");
    voice->setVoice(mary);
    voice->getVoice(&token);
    EXPECT_EQ(token, mary);
    std::shared_ptr<OutputTarget> output;
    ASSERT_EQ(voice->getOutputStream(&output), kOk);
    EXPECT_EQ(output->format().id, kEngineNativeFormat);
}

TEST(Voice, BrokenTextsAreReadWithoutHarm) {
    auto voice = test::makeVoice(32.0);
    std::u16string nasty = u"a";
    nasty.push_back(u'\0');
    nasty.push_back(char16_t(0xDC00));
    nasty += u"<voice required=\"Name=Nobody\">b<<<&#xFFFFFFFF;</voice></sapi>>";
    EXPECT_EQ(voice->speak(nasty, kSpeakSync), kOk);
    // Ten megabytes: accepted at once, purged at once.
    const std::u16string huge(10 * 1024 * 1024 / 2, u'字');
    const auto before = Clock::now();
    EXPECT_EQ(voice->speak(huge, kSpeakAsync), kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    voice->speak(u"", kSpeakPurgeBeforeSpeak);
    EXPECT_EQ(voice->waitUntilDone(5000), kOk);
    EXPECT_LT(Clock::now() - before, std::chrono::seconds(10));
}

TEST(Voice, VolumeChangeIsHeardAtOnce) {
    const auto folder = test::makeTemporaryFolder("volume");
    const std::string capture = (folder / "heard.wav").string();
    std::shared_ptr<Voice> voice;
    ASSERT_EQ(Voice::create(&voice), kOk);
    voice->setOutputFactory([&](const audio::AudioFormat& format) {
        return audio::openCaptureOutput(format, capture, nullptr, 4.0);
    });
    Recorder recorder;
    recorder.attach(*voice);
    voice->speak(longEnglish(4), kSpeakAsync);
    ASSERT_TRUE(recorder.waitFor(kEventWordBoundary, 6));
    voice->setVolume(0);
    const uint64_t mutedFrom = recorder.words().back().audioStreamOffset / 2;
    voice->waitUntilDone();
    voice.reset();
    auto heard = audio::readWaveFile(capture);
    ASSERT_TRUE(heard);
    const size_t margin = 22050 / 5;  // what the output had taken before the change
    ASSERT_GT(heard->samples.size(), mutedFrom + 2 * margin);
    EXPECT_GT(test::rmsLevel(heard->samples, 0, mutedFrom), 300.0);
    EXPECT_LT(test::rmsLevel(heard->samples, mutedFrom + margin), 1.0);
}

TEST(Voice, RateChangeIsHeardAtOnceAndNoWordIsLost) {
    // After setRate the rest of the text is heard at the new rate: the audio
    // heard in all is what was heard before the call, plus the rest at the
    // new rate, plus at most a fraction of a second. Both a text of many
    // sentences and one synthesised in a single piece.
    const std::u16string texts[] = {
        longEnglish(10),
        u"one two three four five six seven eight nine ten eleven twelve thirteen fourteen "
        u"fifteen sixteen seventeen eighteen nineteen twenty twenty-one twenty-two",
    };
    const auto folder = test::makeTemporaryFolder("rate-change");
    const auto heardFrames = [&](const std::u16string& text, int startRate, int newRate,
                                 size_t changeAfterWords, uint64_t* changedAt,
                                 std::vector<VoiceEvent>* words) {
        static int run = 0;  // captures of one name would share one file
        const std::string capture = (folder / ("heard" + std::to_string(++run) + ".wav")).string();
        std::shared_ptr<Voice> voice;
        EXPECT_EQ(Voice::create(&voice), kOk);
        voice->setOutputFactory([&](const audio::AudioFormat& format) {
            return audio::openCaptureOutput(format, capture, nullptr, 8.0);
        });
        voice->setRate(startRate);
        Recorder recorder;
        recorder.attach(*voice);
        voice->speak(text, kSpeakAsync);
        if (changeAfterWords > 0) {
            EXPECT_TRUE(recorder.waitFor(kEventWordBoundary, changeAfterWords));
            *changedAt = recorder.words().back().audioStreamOffset / 2;
            voice->setRate(newRate);
        }
        voice->waitUntilDone();
        if (words != nullptr)
            *words = recorder.words();
        voice.reset();
        const auto heard = audio::readWaveFile(capture);
        return heard ? heard->samples.size() : 0;
    };
    for (const auto& text : texts) {
        SCOPED_TRACE(std::string(text.begin(), text.begin() + 20));
        const double slow = static_cast<double>(heardFrames(text, 0, 0, 0, nullptr, nullptr));
        const double fast = static_cast<double>(heardFrames(text, 10, 10, 0, nullptr, nullptr));
        uint64_t changedAt = 0;
        std::vector<VoiceEvent> words;
        const double heard = static_cast<double>(heardFrames(text, 0, 10, 5, &changedAt, &words));
        const double expected = changedAt + (slow - changedAt) * fast / slow;
        EXPECT_LT(heard, expected + 0.3 * 22050 + 0.05 * fast)
            << "slow " << slow << " fast " << fast;
        EXPECT_GT(heard, expected - 0.05 * fast);
        // The words go on in order to the last one, none skipped.
        ASSERT_FALSE(words.empty());
        for (size_t i = 1; i < words.size(); ++i)
            EXPECT_GE(words[i].wordPosition, words[i - 1].wordPosition);
        const size_t lastWord = text.rfind(u' ', text.find_last_not_of(u" ")) + 1;
        EXPECT_GE(words.back().wordPosition, static_cast<int32_t>(lastWord));
    }
}

TEST(Voice, RateScalesTheDurationThreefoldEachWay) {
    EXPECT_EQ(Synthesizer::wordsPerMinute(0), 175);
    EXPECT_EQ(Synthesizer::wordsPerMinute(-10), 58);
    EXPECT_EQ(Synthesizer::wordsPerMinute(10), 525);
    EXPECT_EQ(Synthesizer::wordsPerMinute(5), 303);
    const auto folder = test::makeTemporaryFolder("rate");
    double seconds[3] = {};
    const int rates[3] = {-10, 0, 10};
    for (int i = 0; i < 3; ++i) {
        const auto path = folder / ("rate" + std::to_string(i) + ".wav");
        std::shared_ptr<FileStream> stream;
        ASSERT_EQ(FileStream::create(path, *streamFormatFromId(kEngineNativeFormat), &stream), kOk);
        auto voice = test::makeVoice();
        voice->setOutput(stream, false);
        voice->setRate(rates[i]);
        voice->speak(longEnglish(2), kSpeakSync);
        ASSERT_EQ(stream->close(), kOk);
        seconds[i] = audio::readWaveFile(path.string())->durationSeconds();
    }
    EXPECT_NEAR(seconds[0] / seconds[1], 3.0, 0.6);
    EXPECT_NEAR(seconds[1] / seconds[2], 3.0, 0.6);
}

TEST(Voice, UnpunctuatedChineseOfTwoThousandCharactersIsReadWhole) {
    const auto path = test::makeTemporaryFolder("chinese") / "long.wav";
    std::shared_ptr<FileStream> stream;
    ASSERT_EQ(FileStream::create(path, *streamFormatFromId(kEngineNativeFormat), &stream), kOk);
    auto voice = test::makeVoice();
    voice->setVoice(test::voiceNamed(u"Microsoft Simplified Chinese"));
    voice->setOutput(stream, false);
    Recorder recorder;
    recorder.attach(*voice);
    std::u16string text;
    for (int i = 0; i < 2000; ++i)
        text.push_back(static_cast<char16_t>(0x4E00 + (i * 37) % 2000));
    ASSERT_EQ(voice->speak(text, kSpeakSync), kOk);
    ASSERT_EQ(stream->close(), kOk);
    const auto words = recorder.words();
    ASSERT_FALSE(words.empty());
    EXPECT_GE(words.back().wordPosition, 1990);
    EXPECT_GE(words.size(), 1900u);
    // About a quarter of a second per syllable; a cut-off reading is far shorter.
    EXPECT_GT(audio::readWaveFile(path.string())->durationSeconds(), 2000 * 0.15);
}

TEST(Voice, MarkupSilenceAndVolumeShapeTheAudio) {
    const auto path = test::makeTemporaryFolder("markup") / "shaped.wav";
    std::shared_ptr<FileStream> stream;
    ASSERT_EQ(FileStream::create(path, *streamFormatFromId(kEngineNativeFormat), &stream), kOk);
    auto voice = test::makeVoice();
    voice->setOutput(stream, false);
    voice->speak(u"<silence msec=\"1000\"/>hello<volume level=\"0\">quiet words here</volume>",
                 kSpeakSync);
    ASSERT_EQ(stream->close(), kOk);
    const auto audio = audio::readWaveFile(path.string());
    ASSERT_TRUE(audio);
    EXPECT_LT(test::rmsLevel(audio->samples, 0, 22050), 1.0);
    EXPECT_GT(test::rmsLevel(audio->samples, 22050, 22050 + 11025), 300.0);
    EXPECT_LT(test::rmsLevel(audio->samples, audio->samples.size() - 11025), 1.0);
}

// Multi-sentence texts. Read by the Chinese voices at the top rates,
// espeak-ng places the last word of the English one past the end of the
// audio it produces.
const std::u32string kEnglishSentences =
    U"Hello there. This is a longer text for the bar. "
    U"Hello there. This is a longer text for the bar. "
    U"Hello there. This is a longer text for the bar. "
    U"Hello there. This is a longer text for the bar. "
    U"Hello there.";
const std::u32string kChineseSentences =
    U"你好。这是一段比较长的文字，用来测试朗读。你好。这是一段比较长的文字，用来测试朗读。"
    U"春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。你好。";

std::u16string utf16(std::u32string_view text) {
    return std::u16string(text.begin(), text.end());  // both texts lie in the BMP
}

TEST(Synthesizer, WordPositionsNeverLieBeyondTheAudioAtAnyRate) {
    struct Collector final : SynthesisSink {
        uint64_t samples = 0;
        uint64_t lastWord = 0;
        size_t words = 0;
        void onWord(uint64_t sampleOffset, size_t, size_t) override {
            ++words;
            lastWord = std::max(lastWord, sampleOffset);
        }
        bool onAudio(const int16_t*, size_t count) override {
            samples += count;
            return true;
        }
    };
    const std::u16string voices[] = {u"Microsoft Simplified Chinese", u"Chinese Female Voice",
                                     u"Microsoft Sam", u"Microsoft Mary", u"Microsoft Mike"};
    for (const auto& voiceName : voices) {
        const EspeakVoice espeak = test::voiceNamed(voiceName)->espeakVoice();
        for (const auto& text : {kEnglishSentences, kChineseSentences}) {
            // Slowed down by us, espeak-ng's own range, and sped up by espeak-ng.
            for (const int rate : {-10, -5, 0, 5, 8, 9, 10}) {
                Collector collector;
                ASSERT_EQ(Synthesizer::instance().synthesize(text, espeak, rate, true, collector),
                          kOk);
                const auto where = ::testing::Message()
                                   << espeak.name << "+" << espeak.variant << " rate " << rate;
                EXPECT_GE(collector.words, 20u) << where;
                EXPECT_LE(collector.lastWord, collector.samples) << where;
            }
        }
    }
}

// Speaks text and tells whether the reading ended within limit. A reading
// that never ends is left to a detached thread holding its voice, so that
// the test fails instead of hanging.
bool readingEndsWithin(const std::shared_ptr<Voice>& voice, const std::u16string& text,
                       bool synchronous, std::chrono::milliseconds limit) {
    if (!synchronous) {
        return voice->speak(text, kSpeakAsync) == kOk && voice->waitUntilDone(limit.count()) == kOk;
    }
    std::promise<Result> promise;
    std::future<Result> result = promise.get_future();
    std::thread reader([voice, text, promise = std::move(promise)]() mutable {
        promise.set_value(voice->speak(text, kSpeakSync));
    });
    if (result.wait_for(limit) != std::future_status::ready) {
        voice->setNotifyCallback(nullptr);
        reader.detach();
        return false;
    }
    reader.join();
    return result.get() == kOk;
}

TEST(Voice, ReadingEndsAtEveryRateOnFileAndAudioOutputsSyncAndAsync) {
    constexpr auto kGenerousLimit = std::chrono::seconds(10);  // each reading takes well under 1 s
    const auto folder = test::makeTemporaryFolder("stream-end");
    const std::pair<std::u16string, std::u32string> readings[] = {
        {u"Microsoft Simplified Chinese", kEnglishSentences},
        {u"Microsoft Mary", kEnglishSentences},
        {u"Microsoft Simplified Chinese", kChineseSentences}};
    int file = 0;
    for (const auto& [voiceName, text] : readings) {
        for (const int rate : {kMinimumRate, 0, kMaximumRate}) {
            for (const bool toFile : {true, false}) {
                for (const bool synchronous : {true, false}) {
                    SCOPED_TRACE(::testing::Message()
                                 << (text == kEnglishSentences ? "English" : "Chinese")
                                 << " read by " << ::testing::PrintToString(voiceName) << " rate "
                                 << rate << (toFile ? " file" : " audio")
                                 << (synchronous ? " sync" : " async"));
                    Recorder recorder;
                    auto voice = test::makeVoice(64.0);
                    voice->setVoice(test::voiceNamed(voiceName));
                    voice->setRate(rate);
                    const auto path = folder / ("reading" + std::to_string(++file) + ".wav");
                    std::shared_ptr<FileStream> stream;
                    if (toFile) {
                        ASSERT_EQ(FileStream::create(path, *streamFormatFromId(kEngineNativeFormat),
                                                     &stream),
                                  kOk);
                        voice->setOutput(stream, false);
                    }
                    recorder.attach(*voice);
                    if (!readingEndsWithin(voice, utf16(text), synchronous, kGenerousLimit)) {
                        ADD_FAILURE() << "the reading did not end";
                        continue;
                    }
                    ASSERT_TRUE(recorder.waitFor(kEventEndInputStream, 1));
                    std::lock_guard lock(recorder.mutex);
                    const VoiceEvent end = recorder.events.back();
                    EXPECT_EQ(end.id, kEventEndInputStream);
                    EXPECT_EQ(recorder.events.front().id, kEventStartInputStream);
                    EXPECT_GE(recorder.events.size(), 20u);
                    for (const auto& e : recorder.events)
                        EXPECT_LE(e.audioStreamOffset, end.audioStreamOffset);
                    if (toFile) {
                        ASSERT_EQ(stream->close(), kOk);
                        // The end of the stream is where its audio ends.
                        EXPECT_EQ(end.audioStreamOffset,
                                  audio::readWaveFile(path.string())->samples.size() * 2);
                    }
                }
            }
        }
    }
}

TEST(Voice, ATextForAnotherOutputWaitsUntilTheAudioBeforeItIsHeard) {
    Recorder recorder;
    auto voice = test::makeVoice(8.0);
    recorder.attach(*voice);
    ASSERT_EQ(voice->speak(longEnglish(2), kSpeakAsync), kOk);
    ASSERT_TRUE(recorder.waitFor(kEventWordBoundary, 1));
    std::shared_ptr<FileStream> stream;
    ASSERT_EQ(FileStream::create(test::makeTemporaryFolder("switch") / "after.wav",
                                 *streamFormatFromId(kEngineNativeFormat), &stream),
              kOk);
    voice->setOutput(stream, false);
    ASSERT_TRUE(readingEndsWithin(voice, u"Short.", true, std::chrono::seconds(10)));
    ASSERT_TRUE(recorder.waitFor(kEventEndInputStream, 2));
    std::lock_guard lock(recorder.mutex);
    std::vector<std::pair<int32_t, uint32_t>> streamEvents;
    size_t firstStreamWords = 0;
    for (const auto& e : recorder.events) {
        if (e.id != kEventWordBoundary)
            streamEvents.emplace_back(e.id, e.streamNumber);
        if (e.id == kEventWordBoundary && e.streamNumber == 1)
            ++firstStreamWords;
    }
    const std::vector<std::pair<int32_t, uint32_t>> expected = {{kEventStartInputStream, 1},
                                                                {kEventEndInputStream, 1},
                                                                {kEventStartInputStream, 2},
                                                                {kEventEndInputStream, 2}};
    EXPECT_EQ(streamEvents, expected);
    EXPECT_EQ(firstStreamWords, 18u);  // the first text was heard to its end
}

TEST(VoiceDeathTest, MissingEspeakDataIsAClearResult) {
    EXPECT_EXIT(
        {
            setenv("LENVORO_ESPEAK_DATA", "/nonexistent/espeak-ng-data", 1);
            std::shared_ptr<Voice> voice;
            const Result result = Voice::create(&voice);
            std::exit(result == kEngineDataMissing && voice == nullptr ? 7 : 1);
        },
        ::testing::ExitedWithCode(7), "");
}

// Reads a text too long to prepare under a limit on the process's memory,
// then a short one without the limit; 7 when the first ended with
// kOutOfMemory and the second was read. Not run under AddressSanitizer.
int readTooLongTextUnderAMemoryLimit() {
    auto voice = test::makeVoice(0.0);
    voice->speak(u"Warm up.", kSpeakSync);
    const std::u16string huge(6'000'000, u'a');
    long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    const rlim_t unlimited = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (48u << 20);
    setrlimit(RLIMIT_AS, &limit);
    const Result spoken = voice->speak(huge, kSpeakAsync);
    const Result waited = voice->waitUntilDone(60000);
    const Result ended = voice->status().lastResult;
    limit.rlim_cur = unlimited;
    setrlimit(RLIMIT_AS, &limit);
    const Result after = voice->speak(u"Hello.", kSpeakSync);
    std::fprintf(stderr, "spoken %x waited %x ended %x after %x\n", spoken, waited, ended, after);
    return spoken == kOk && waited == kOk && ended == kOutOfMemory && after == kOk ? 7 : 1;
}

TEST(VoiceDeathTest, RunningOutOfMemoryEndsTheReadingAndTheVoiceReadsOn) {
    if (test::kUnderAddressSanitizer)
        GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
    // An allocation that fails on the voice's worker thread must end the
    // reading with kOutOfMemory, not take the process down.
    EXPECT_EXIT(std::exit(readTooLongTextUnderAMemoryLimit()), ::testing::ExitedWithCode(7), "");
}

}  // namespace
}  // namespace lenvoro::engine
