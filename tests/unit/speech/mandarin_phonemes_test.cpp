// The hand-checked sentence table (tests/unit/mandarin/sentences.tsv) as it is
// heard: the phonemes espeak-ng speaks while our Chinese voice reads each
// sentence must be those it speaks for the table's own syllables and words.
// This catches wrong readings and anything lost between the readings and
// espeak-ng (joined syllables, ü, numbers, English words). espeak-ng changes
// tones by what follows up to the next pause and within a word, so the
// table's syllables are read with the pauses our reading made and joined into
// words as ours were.
#include <espeak-ng/speak_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/file_stream.h"
#include "engine/mandarin_text.h"
#include "engine/synthesizer.h"
#include "engine/text.h"
#include "engine/voice.h"
#include "mandarin/readings.h"
#include "sentence_table.h"
#include "voice_support.h"

namespace lenvoro::engine {
namespace {

// Of every hundred sentences, this many must sound as the table says.
constexpr double kRequiredShare = 0.97;

using mandarin::testing::Sentence;

std::vector<Sentence> loadSentences() {
    return mandarin::testing::loadSentenceTable(LENVORO_MANDARIN_SENTENCES);
}

// Stress marks, word ends and spaces say nothing about what was read.
std::string normalised(std::string_view phonemes) {
    std::string out;
    for (char c : phonemes) {
        if (c != '\'' && c != ',' && c != '_' && c != '|' && c != ' ' && c != '\n')
            out += c;
    }
    return out;
}

bool isSyllable(std::string_view item) {
    return !item.empty() && item.back() >= '1' && item.back() <= '5';
}

bool isWordLetter(char32_t c, SegmentLanguage language) {
    if (language == SegmentLanguage::Pinyin) {
        return (c >= U'a' && c <= U'z') || (c >= U'0' && c <= U'9') || c == U'\'';
    }
    return ((c | 0x20) >= U'a' && (c | 0x20) <= U'z') || (c >= U'0' && c <= U'9') || c == U'\'';
}

// The marks our reading pauses at, and the line break that makes espeak-ng
// end a sentence at a full stop.
bool isPause(char32_t c) {
    return c == U',' || c == U'.' || c == U'!' || c == U'?' || c == U':' || c == U';' || c == U'\n';
}

// A text for one espeak-ng voice.
struct VoiceRun {
    bool english = false;
    std::string text;
};

// The table's syllables and words, with the pauses of our reading: a pause
// follows as many syllables and English words as it does in the segments.
std::vector<VoiceRun> expectedRuns(const std::vector<TextSegment>& segments,
                                   const std::string& expected) {
    std::istringstream stream(expected);
    std::vector<std::string> items{std::istream_iterator<std::string>(stream), {}};
    std::vector<VoiceRun> runs;
    size_t next = 0;
    const auto add = [&](std::string item) {
        const bool english = !isSyllable(item);
        if (runs.empty() || runs.back().english != english)
            runs.push_back({english, {}});
        if (!runs.back().text.empty())
            runs.back().text += ' ';
        runs.back().text += item;
    };
    for (const TextSegment& segment : segments) {
        const std::u32string& text = segment.text;
        for (size_t i = 0; i < text.size();) {
            if (isPause(text[i])) {
                if (!runs.empty())
                    runs.back().text += static_cast<char>(text[i]);
                ++i;
                continue;
            }
            if (!isWordLetter(text[i], segment.language)) {
                ++i;
                continue;
            }
            const size_t first = i;
            while (i < text.size() && isWordLetter(text[i], segment.language))
                ++i;
            const std::u32string word = text.substr(first, i - first);
            size_t units = 1;
            if (segment.language == SegmentLanguage::Pinyin) {
                units = static_cast<size_t>(std::count_if(
                    word.begin(), word.end(), [](char32_t c) { return c >= U'1' && c <= U'5'; }));
            }
            // espeak-ng says the syllables of a word differently from the
            // same syllables apart (两个第四声 in one word: 53 51), so the
            // table's syllables are joined as we joined ours.
            std::string joined;
            for (size_t u = 0; u < units && next < items.size(); ++u, ++next) {
                if (isSyllable(items[next]) && segment.language == SegmentLanguage::Pinyin) {
                    joined += (joined.empty() ? "" : "'") + items[next];
                    continue;
                }
                if (!joined.empty())
                    add(std::exchange(joined, {}));
                // The table writes English in lower case; the text's own
                // spelling is what both readings get.
                const std::string spelled = mandarin::utf32ToUtf8(word);
                const bool sameWord = segment.language == SegmentLanguage::English &&
                                      asciiLower(spelled) == asciiLower(items[next]);
                add(sameWord ? spelled : items[next]);
            }
            if (!joined.empty())
                add(joined);
        }
    }
    for (; next < items.size(); ++next)
        add(items[next]);
    return runs;
}

int ignoreAudio(short*, int, espeak_EVENT*) {
    return 0;
}

// What espeak-ng says for the runs, each in its own voice, straight through
// its C API.
std::string espeakPhonemes(const std::vector<VoiceRun>& runs) {
    std::string phonemes;
    Synthesizer::instance().runExclusively([&] {
        espeak_SetSynthCallback(ignoreAudio);
        for (const VoiceRun& run : runs) {
            const std::string voice(run.english ? kEnglishEspeakVoice : kPinyinEspeakVoice);
            espeak_SetVoiceByName(voice.c_str());
            const std::u32string text = mandarin::utf8ToUtf32(run.text);
            const std::wstring wide(text.begin(), text.end());
            char* buffer = nullptr;
            size_t size = 0;
            FILE* trace = open_memstream(&buffer, &size);
            espeak_SetPhonemeTrace(1, trace);
            espeak_Synth(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t), 0, POS_CHARACTER, 0,
                         espeakCHARS_WCHAR, nullptr, nullptr);
            espeak_SetPhonemeTrace(0, nullptr);
            std::fclose(trace);
            phonemes.append(buffer, size);
            std::free(buffer);
        }
    });
    return phonemes;
}

std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string describe(const std::vector<VoiceRun>& runs) {
    std::string out;
    for (const VoiceRun& run : runs)
        out += (run.english ? "[en] " : "") + run.text + " ";
    return out;
}

std::string describe(const std::vector<TextSegment>& segments) {
    std::string out;
    for (const TextSegment& s : segments) {
        out += (s.language == SegmentLanguage::English ? "[en] " : "") +
               mandarin::utf32ToUtf8(s.text) + " ";
    }
    return out;
}

TEST(MandarinPhonemes, TheSentenceTableIsHeardAsWritten) {
    const std::vector<Sentence> sentences = loadSentences();
    ASSERT_FALSE(sentences.empty()) << "no sentences in " << LENVORO_MANDARIN_SENTENCES;

    std::string heard;
    Synthesizer::instance().setPhonemeListener(
        [&heard](std::string_view, std::string_view phonemes) { (heard += phonemes) += ' '; });
    std::shared_ptr<FileStream> stream;
    ASSERT_EQ(FileStream::create(test::makeTemporaryFolder("phonemes") / "table.wav",
                                 *streamFormatFromId(kEngineNativeFormat), &stream),
              kOk);
    auto voice = test::makeVoice();
    voice->setVoice(test::voiceNamed(u"Microsoft Simplified Chinese"));
    voice->setOutput(stream, false);

    size_t passed = 0;
    std::string failures;
    for (const Sentence& sentence : sentences) {
        heard.clear();
        ASSERT_EQ(voice->speak(utf8ToUtf16(sentence.text), kSpeakSync), kOk);
        const std::vector<TextSegment> segments =
            mandarinSegments(mandarin::utf8ToUtf32(sentence.text));
        const std::vector<VoiceRun> runs = expectedRuns(segments, sentence.expected);
        const std::string expected = espeakPhonemes(runs);
        if (normalised(heard) == normalised(expected)) {
            ++passed;
            continue;
        }
        failures += "line " + std::to_string(sentence.line) + ": " + sentence.text +
                    "\n  we read:  " + describe(segments) + "\n  table:    " + describe(runs) +
                    "\n  we said:  " + heard + "\n  expected: " + oneLine(expected) + "\n";
    }
    voice.reset();
    Synthesizer::instance().setPhonemeListener(nullptr);
    stream->close();

    const double share = static_cast<double>(passed) / static_cast<double>(sentences.size());
    std::printf("%zu of %zu sentences (%.1f%%) are heard as the table writes them\n", passed,
                sentences.size(), share * 100);
    EXPECT_GE(share, kRequiredShare)
        << passed << " of " << sentences.size() << " passed; failing:\n"
        << failures;
    // The few heard otherwise are worth a look even when the share is met.
    if (share >= kRequiredShare)
        std::printf("%s", failures.c_str());
}

}  // namespace
}  // namespace lenvoro::engine
