// A Mandarin voice reading through the readings: its word events point at
// the caller's own UTF-16 text (a Chinese word, a number's digits, an English
// word), in one voice and in mixed markup; English stays English; and no text,
// however broken or long, crashes, hangs or gives a wrong position.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/file_stream.h"
#include "engine/mandarin_text.h"
#include "engine/synthesizer.h"
#include "engine/text.h"
#include "engine/voice.h"
#include "markup.h"
#include "voice_support.h"

namespace lenvoro::engine {
namespace {

// The sanitizers slow synthesis several times.
constexpr int64_t kReadingLimitMs = test::kUnderAddressSanitizer ? 120000 : 20000;

bool isHeardUnit(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xFF10 && c <= 0xFF19) ||
           (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A);
}

std::u16string heardUnits(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        if (isHeardUnit(c))
            out += c;
    }
    return out;
}

// What one reading reported.
struct Reading {
    bool finished = false;
    size_t streamsEnded = 0;
    std::vector<VoiceEvent> words;
};

Reading readAloud(const std::u16string& text, const std::u16string& voiceName) {
    Reading reading;
    std::mutex mutex;
    auto voice = test::makeVoice(256.0);
    if (!voiceName.empty())
        voice->setVoice(test::voiceNamed(voiceName));
    voice->setInterest(kAllSpeechEvents, kAllSpeechEvents);
    // A notification may still be under way when the voice is released below;
    // the release waits for it but has emptied `voice` by then, so the callback
    // reads the events through a plain pointer.
    Voice* const reader = voice.get();
    voice->setNotifyCallback([&] {
        VoiceEvent event;
        while (reader->getEvent(&event) == kOk) {
            std::lock_guard lock(mutex);
            if (event.id == kEventWordBoundary)
                reading.words.push_back(event);
            if (event.id == kEventEndInputStream)
                ++reading.streamsEnded;
        }
    });
    EXPECT_EQ(voice->speak(text, kSpeakAsync), kOk);
    reading.finished = voice->waitUntilDone(kReadingLimitMs) == kOk;
    voice.reset();  // no more callbacks
    return reading;
}

// The words as the text's own substrings, after checking that each lies in
// the text, keeps surrogate pairs whole, and comes after the last (a word
// espeak-ng says twice is heard once).
std::vector<std::u16string> wordsOf(const Reading& reading, std::u16string_view text) {
    std::vector<std::u16string> words;
    size_t end = 0;
    int32_t lastPosition = -1;
    for (const VoiceEvent& e : reading.words) {
        if (std::exchange(lastPosition, e.wordPosition) == e.wordPosition)
            continue;
        const auto position = static_cast<size_t>(e.wordPosition);
        const auto length = static_cast<size_t>(e.wordLength);
        EXPECT_GE(e.wordPosition, 0);
        EXPECT_GT(e.wordLength, 0);
        EXPECT_LE(position + length, text.size());
        EXPECT_GE(position, end) << "a word overlaps or goes back";
        if (e.wordPosition < 0 || position + length > text.size())
            continue;
        end = position + length;
        words.emplace_back(text.substr(position, length));
        const char16_t first = text[position];
        EXPECT_FALSE(first >= 0xDC00 && first <= 0xDFFF) << "a word starts inside a surrogate pair";
        const char16_t afterLast = position + length < text.size() ? text[position + length] : 0;
        EXPECT_FALSE(afterLast >= 0xDC00 && afterLast <= 0xDFFF && text[end - 1] >= 0xD800 &&
                     text[end - 1] <= 0xDBFF)
            << "a word ends inside a surrogate pair";
    }
    return words;
}

TEST(MandarinVoice, WordsPointAtTheCallersCharactersInOneVoiceAndInMixedMarkup) {
    struct Case {
        std::u16string text;
        std::vector<std::u16string> exactWords;  // among the words heard
    };
    const Case cases[] = {
        {u"我有3个apple。", {u"3", u"apple"}},
        {u"2024年6月1日是儿童节", {u"2024", u"6", u"1"}},
        {u"Hello，小明！", {u"Hello"}},
        {u"小明\n\n你好\r\nHello world\n", {u"Hello", u"world"}},
        {u"２０２４年６月", {u"２０２４", u"６"}},
        {u"\U0001F600银行 apple 银行", {u"apple"}},
        // A number too long for one espeak-ng word is still marked whole.
        {u"跑了123456789012345678901234567890米", {u"123456789012345678901234567890"}},
    };
    for (const Case& c : cases) {
        for (const bool mixed : {false, true}) {
            SCOPED_TRACE(testing::Message() << utf16ToUtf8(c.text) << (mixed ? " (mixed)" : ""));
            std::u16string spoken = c.text;
            if (mixed) {
                ASSERT_EQ(BuildVoiceMarkup(spoken, 1), MarkupBuild::Built);
            }
            // As the library does in the mixed modes, the voice's own is the
            // first installed one: the Chinese voice.
            const Reading reading = readAloud(spoken, u"Microsoft Simplified Chinese");
            ASSERT_TRUE(reading.finished);
            EXPECT_EQ(reading.streamsEnded, 1u);
            const std::vector<std::u16string> words = wordsOf(reading, spoken);
            std::u16string heard;
            for (const auto& word : words) {
                EXPECT_TRUE(isHeardUnit(word.front())) << utf16ToUtf8(word);
                heard += heardUnits(word);
            }
            EXPECT_EQ(utf16ToUtf8(heard), utf16ToUtf8(heardUnits(c.text)))
                << "every character read, each once, in order";
            for (const auto& word : c.exactWords) {
                EXPECT_NE(std::find(words.begin(), words.end(), word), words.end())
                    << utf16ToUtf8(word);
            }
        }
    }
}

TEST(MandarinVoice, EnglishTextInAChineseVoiceIsReadInEnglishWordForWord) {
    std::vector<std::string> voices;
    Synthesizer::instance().setPhonemeListener(
        [&voices](std::string_view voice, std::string_view) { voices.emplace_back(voice); });
    const std::u16string text = u"I like apples, and the man can run.";
    const Reading reading = readAloud(text, u"Chinese Female Voice");
    Synthesizer::instance().setPhonemeListener(nullptr);
    ASSERT_TRUE(reading.finished);
    const std::vector<std::u16string> expected = {u"I",   u"like", u"apples", u"and",
                                                  u"the", u"man",  u"can",    u"run"};
    EXPECT_EQ(wordsOf(reading, text), expected);
    ASSERT_FALSE(voices.empty());
    for (const auto& voice : voices)
        EXPECT_EQ(voice, kEnglishEspeakVoice);
}

TEST(MandarinVoice, BrokenOrUnreadableTextIsSkippedWithoutWrongPositions) {
    const std::u16string cases[] = {
        u"\U00020000\U00020001你\U0002A6D6好",    // extension B ideographs
        u"\U0001F600\U0001F389小猫\U0001F431喵",  // emoji
        std::u16string(u"你") + char16_t(0xD800) + u"好" + char16_t(0xDC00) + u"世界" +
            char16_t(0xDBFF),                         // lone surrogates
        u"\x0378\xFFFF\U000E0001\U0010FFFF好\x0378",  // unassigned and non-characters
        u"，。！？、……——“”《》（）【】：；",          // punctuation only
        u"\U0001F600",                                // nothing to read at all
        u"\x0627\x0644\x0639\x0631\x0628\x064A\x0629 абв ひらがな 한국어",  // other scripts
    };
    for (const std::u16string& text : cases) {
        SCOPED_TRACE(utf16ToUtf8(text));
        const Reading reading = readAloud(text, u"Microsoft Simplified Chinese");
        ASSERT_TRUE(reading.finished) << "the reading ends";
        EXPECT_EQ(reading.streamsEnded, 1u);
        // Only Chinese characters can be heard here; emoji, broken and
        // unassigned characters and other scripts are skipped.
        for (const auto& word : wordsOf(reading, text)) {
            for (char16_t unit : word) {
                EXPECT_TRUE((unit >= 0x4E00 && unit <= 0x9FFF) ||
                            (unit >= 0xD840 && unit <= 0xDBFF) ||
                            (unit >= 0xDC00 && unit <= 0xDFFF))
                    << "heard " << utf16ToUtf8(word);
            }
        }
    }
}

// Ten megabytes of UTF-16, mostly what is never read (emoji, broken and
// unassigned characters, punctuation), with a short word now and then.
TEST(MandarinVoice, TenMegabytesOfMostlyUnreadableTextReachTheWaveFile) {
    std::u16string block;
    while (block.size() < 2000)
        block += u"\U0001F600\U00020000\xD800 \x0378，。\U0010FFFF……\n";
    block += u"你好。";
    std::u16string text;
    while (text.size() * 2 < 10 * 1024 * 1024)
        text += block;
    const auto path = test::makeTemporaryFolder("mandarin-wave") / "long.wav";
    std::shared_ptr<FileStream> stream;
    ASSERT_EQ(FileStream::create(path, *streamFormatFromId(4), &stream), kOk);  // 8 kHz 8-bit mono
    auto voice = test::makeVoice();
    voice->setVoice(test::voiceNamed(u"Microsoft Simplified Chinese"));
    voice->setOutput(stream, false);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(voice->speak(text, kSpeakAsync), kOk);
    ASSERT_EQ(voice->waitUntilDone(kReadingLimitMs), kOk) << "still reading after the limit";
    EXPECT_EQ(voice->status().lastResult, kOk);
    voice.reset();
    ASSERT_EQ(stream->close(), kOk);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Each of the ~2,600 你好 takes about half a second of audio.
    const auto words = static_cast<double>(text.size() / block.size());
    const double audioSeconds = static_cast<double>(std::filesystem::file_size(path) - 44) / 8000;
    EXPECT_GT(audioSeconds, words * 0.3);
    EXPECT_LT(audioSeconds, words * 2.0) << "nothing unreadable was read aloud";
    RecordProperty("seconds", std::to_string(seconds));
}

}  // namespace
}  // namespace lenvoro::engine
