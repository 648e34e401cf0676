// What a Mandarin voice hands to espeak-ng: segments of pinyin and English,
// and the pauses of Chinese punctuation. Which characters form a word is the
// readings' business, so the pinyin itself is only checked where the
// readings' own header promises it; where the words lead back to is checked
// by reading aloud (mandarin_voice_test.cpp).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/mandarin_text.h"
#include "mandarin/readings.h"

namespace lenvoro::engine {
namespace {

bool isPinyinLetter(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'1' && c <= U'5') || c == U'\'';
}

// The segments as "P:…|E:…"; in pinyin segments each run of words between
// marks is written "#", which leaves the marks and spaces our own rules make.
std::string describe(const std::vector<TextSegment>& segments) {
    std::string out;
    for (const TextSegment& segment : segments) {
        if (!out.empty())
            out += '|';
        out += segment.language == SegmentLanguage::Pinyin ? "P:" : "E:";
        std::u32string text;
        for (size_t i = 0; i < segment.text.size(); ++i) {
            const char32_t c = segment.text[i];
            const bool inRun = isPinyinLetter(c) ||
                               (c == U' ' && !text.empty() && text.back() == U'#' &&
                                i + 1 < segment.text.size() && isPinyinLetter(segment.text[i + 1]));
            if (segment.language == SegmentLanguage::Pinyin && inRun) {
                if (text.empty() || text.back() != U'#')
                    text += U'#';
            } else {
                text += c;
            }
        }
        out += mandarin::utf32ToUtf8(text);
    }
    return out;
}

TEST(MandarinText, SplitsLanguagesAndTurnsChinesePunctuationIntoItsPause) {
    struct Case {
        std::u32string text;
        std::string expected;
    };
    const Case cases[] = {
        {U"你好，小白兔。I like apples.", "P:#, #.|E:I like apples."},
        {U"Hello，小明！", "E:Hello,|P:#!"},
        {U"我有3个apple。", "P:#|E:apple."},
        {U"“你好”——他说……", "P:#, #."},
        {U"《小猫》：真好？！", "P:#: #?"},
        {U"Don't stop—ok?", "E:Don't stop, ok?"},
        {U"ＡＢＣ１２３", "E:ABC123"},
        {U"a😀b", "E:a b"},
        {U"  \n你好\n\nHello world  ", "P:#|E:Hello world"},
        {U"3.5%", "P:#"},
        {U"我想。我想。", "P:#.\n#."},  // a full stop before pinyin needs the line break
        {U"😀，。！？……\U00010000", ""},
        {U"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(mandarin::utf32ToUtf8(c.text));
        EXPECT_EQ(describe(mandarinSegments(c.text)), c.expected);
    }
    // The readings' header promises these words and readings.
    const auto bank = mandarinSegments(U"银行");
    ASSERT_EQ(bank.size(), 1u);
    EXPECT_EQ(bank[0].text, U"yin2'hang2");
    const auto green = mandarinSegments(U"绿");
    ASSERT_EQ(green.size(), 1u);
    EXPECT_EQ(green[0].text, U"lv4") << "ü is spelled v";
}

}  // namespace
}  // namespace lenvoro::engine
