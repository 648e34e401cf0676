#include "tone_marks.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "pinyin_table.h"
#include "pinyin_test_support.h"

namespace tukomi {
namespace {

using namespace testing;

struct Marked {
    const char* reading;
    const char* shown;
};

// One syllable for every final of standard pinyin, in all four tones across
// the table, with the mark where a primer puts it.
// clang-format off
constexpr Marked kFinals[] = {
    // Simple finals, and the -i of zhi chi shi ri zi ci si.
    {"ma1", "mā"}, {"bo2", "bó"}, {"e4", "è"}, {"yi3", "yǐ"}, {"wu4", "wù"},
    {"lü4", "lǜ"}, {"zhi1", "zhī"}, {"ci2", "cí"}, {"ri4", "rì"},
    // Compound finals: a or e takes the mark, then the o of ou.
    {"ai4", "ài"}, {"bei3", "běi"}, {"hao3", "hǎo"}, {"gou3", "gǒu"},
    {"lou2", "lóu"}, {"er2", "ér"},
    // Nasal finals.
    {"an1", "ān"}, {"en1", "ēn"}, {"fang2", "fáng"}, {"deng1", "dēng"},
    {"hong2", "hóng"},
    // Finals after i.
    {"jia1", "jiā"}, {"jie2", "jié"}, {"xiao3", "xiǎo"}, {"tian1", "tiān"},
    {"jin4", "jìn"}, {"liang4", "liàng"}, {"ying1", "yīng"}, {"xiong2", "xióng"},
    {"yo1", "yō"}, {"you3", "yǒu"},
    // iu takes the mark on its last vowel, u.
    {"liu4", "liù"}, {"jiu3", "jiǔ"}, {"qiu1", "qiū"}, {"niu2", "niú"}, {"diu1", "diū"},
    // Finals after u: ui on its last vowel, i.
    {"hua1", "huā"}, {"guo2", "guó"}, {"kuai4", "kuài"}, {"gui4", "guì"},
    {"shui3", "shuǐ"}, {"dui1", "duī"}, {"huan2", "huán"}, {"dun1", "dūn"},
    {"huang2", "huáng"}, {"weng1", "wēng"}, {"wo3", "wǒ"},
    // Finals with ü, written ü after l and n, u after j q x y.
    {"nü3", "nǚ"}, {"lü2", "lǘ"}, {"lü1", "lǖ"}, {"nüe4", "nüè"}, {"lüe4", "lüè"},
    {"xue2", "xué"}, {"jue2", "jué"}, {"quan2", "quán"}, {"yuan2", "yuán"},
    {"jun1", "jūn"}, {"yun4", "yùn"}, {"ju2", "jú"},
    // The neutral tone: no mark, no digit.
    {"de5", "de"}, {"le5", "le"}, {"men5", "men"}, {"ma5", "ma"},
    // Syllables without a vowel stay bare.
    {"m2", "m"}, {"ng2", "ng"}, {"hm1", "hm"},
    // Readings outside the table's format: a clear result, never a crash.
    {"", ""}, {"1", ""}, {"a1", "ā"}, {"ma0", "ma"}, {"ma9", "ma"}, {"ma", "m"},
    {"MA1", "MA"}, {"ma١", "ma"},
};
// clang-format on

TEST(ToneMarks, MarkGoesOnTheVowelStandardPinyinMarks) {
    for (const Marked& m : kFinals)
        EXPECT_EQ(s(MarkTone(u(m.reading))), m.shown) << m.reading;
}

TEST(ToneMarks, ChineseCharactersAreThoseOfTheTableAndCjkIdeographs) {
    const struct {
        const char* character;
        bool chinese;
    } cases[] = {
        // clang-format off
        {"妈", true}, {"肀", true},  {"㐀", true},  {"𠀀", true},  {"兀", true},
        {"，", false}, {"。", false}, {"！", false}, {"「", false}, {"Ａ", false},
        {"a", false},  {"1", false},  {" ", false},  {"あ", false}, {"😀", false},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsChineseCharacter(u(c.character).toUcs4().value(0), table()), c.chinese)
            << c.character;
}

}  // namespace
}  // namespace tukomi
