#include "mandarin/readings.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace mandarin {
namespace {

const Readings& readings() {
    return Readings::instance();
}

// The readings of a text as a teacher writes them without marks: the
// syllables of each word joined, words apart; Latin words in brackets.
std::string spoken(const std::string& utf8) {
    const std::u32string text = utf8ToUtf32(utf8);
    const TextReading reading = readings().read(text);
    std::string out;
    for (const Token& token : reading.tokens) {
        std::string word;
        if (token.kind == TokenKind::Word || token.kind == TokenKind::Number) {
            for (uint32_t k = 0; k < token.syllableCount; ++k)
                word += reading.syllables[token.firstSyllable + k];
        } else if (token.kind == TokenKind::Latin) {
            word = "[" + utf32ToUtf8(text.substr(token.begin, token.end - token.begin)) + "]";
        } else {
            continue;
        }
        out += (out.empty() ? "" : " ") + word;
    }
    return out;
}

struct Case {
    const char* text;
    const char* expected;
};

std::string withoutSpaces(std::string text) {
    std::erase(text, ' ');
    return text;
}

// Word boundaries are the dictionary's affair; the syllables are compared.
void expectAll(const std::vector<Case>& cases) {
    for (const Case& c : cases)
        EXPECT_EQ(withoutSpaces(spoken(c.text)), withoutSpaces(c.expected))
            << c.text << ": " << spoken(c.text);
}

TEST(Readings, CharactersTakeTheReadingOfTheirWord) {
    expectAll({
        {"银行", "yin2hang2"},
        {"行人", "xing2ren2"},
        {"音乐", "yin1yue4"},
        {"快乐", "kuai4le4"},
        {"睡觉", "shui4jiao4"},
        {"觉得", "jue2de5"},
        {"长大", "zhang3da4"},
        {"首都", "shou3du1"},
        {"重要", "zhong4yao4"},
        {"重新", "chong2xin1"},
        {"数学", "shu4xue2"},
        {"教室", "jiao4shi4"},
        {"着急", "zhao2ji2"},
        {"子弹", "zi3dan4"},
        {"弹琴", "tan2qin2"},
        {"了解", "liao3jie3"},
        {"出差", "chu1chai1"},
        {"背诵", "bei4song4"},
    });
}

TEST(Readings, WordsKeepTheirNeutralTones) {
    expectAll({
        {"爸爸", "ba4ba5"},
        {"妈妈", "ma1ma5"},
        {"朋友", "peng2you5"},
        {"喜欢", "xi3huan5"},
        {"东西", "dong1xi5"},
        {"月亮", "yue4liang5"},
        {"葡萄", "pu2tao5"},
        {"头发", "tou2fa5"},
        {"衣服", "yi1fu5"},
        {"大夫", "dai4fu5"},
        {"便宜", "pian2yi5"},
        {"暖和", "nuan3huo5"},
        {"差不多", "cha4bu5duo1"},
    });
}

TEST(Readings, CharactersAloneFollowTheirNeighbours) {
    expectAll({
        {"慢慢地走", "man4man4 de5 zou3"},  // the particle after a word
        {"一块地", "yi2 kuai4 di4"},        // the ground after a measure word
        {"跑得快", "pao3 de5 kuai4"},
        {"我得走了", "wo3 dei3 zou3 le5"},
        {"一只鸟", "yi4 zhi1 niao3"},  // a measure word after a numeral
        {"只有", "zhi3you3"},
        {"看着", "kan4 zhe5"},
        {"教我们", "jiao1 wo3men5"},
        {"行不行", "xing2 bu5xing2"},
        {"看过这本书", "kan4 guo5 zhe4 ben3 shu1"},
        {"妹妹过河", "mei4mei5 guo4 he2"},
    });
}

TEST(Readings, OneAndNotChangeTheirToneBeforeAnotherSyllable) {
    expectAll({
        {"一个", "yi2ge4"},
        {"一天", "yi4 tian1"},
        {"一起", "yi4qi3"},
        {"一年", "yi4 nian2"},
        {"数一数", "shu3 yi5 shu3"},
        {"第一", "di4yi1"},
        {"十一", "shi2yi1"},
        {"一月", "yi1yue4"},
        {"统一", "tong3yi1"},
        {"一", "yi1"},
        {"一二三", "yi1 er4 san1"},
        {"一百", "yi4bai3"},
        {"不要", "bu2yao4"},
        {"不好", "bu4hao3"},
        {"好不好", "hao3bu5hao3"},
        {"不", "bu4"},
        {"一不小心", "yi2bu4xiao3xin1"},
        {"合不拢", "he2 bu5 long3"},
        {"我不去", "wo3 bu2 qu4"},  // between a verb and its result only
    });
}

TEST(Readings, NumbersAreReadInChinese) {
    expectAll({
        {"2024年", "er4ling2er4si4 nian2"},
        {"25个", "er4shi2wu3 ge4"},
        {"3.5", "san1dian3wu3"},
        {"50%", "bai3fen1zhi1wu3shi2"},
        {"2个", "liang3 ge4"},
        {"2月", "er4 yue4"},
        {"10", "shi2"},
        {"15", "shi2wu3"},
        {"110", "yi4bai3yi1shi2"},
        {"100", "yi4bai3"},
        {"1005", "yi4qian1ling2wu3"},
        {"10086", "yi2wan4ling2ba1shi2liu4"},
        {"100100", "shi2wan4ling2yi4bai3"},
        {"20003", "liang3wan4ling2san1"},
        {"2000", "liang3qian1"},
        {"200", "er4bai3"},
        {"0", "ling2"},
        {"1,000", "yi4qian1"},
        {"13812345678", "yi1san1ba1yi1er4san1si4wu3liu4qi1ba1"},
        {"007", "ling2ling2qi1"},
        {"２０２４年", "er4ling2er4si4 nian2"},
        {"第2天", "di4 er4 tian1"},
        {"打120", "da3 yao1er4ling2"},
        {"有120人", "you3 yi4bai3er4shi2 ren2"},
    });
}

TEST(Readings, LatinWordsStayLatin) {
    expectAll({
        {"我有一个iPad", "wo3 you3 yi2ge4 [iPad]"},
        {"the man can see", "[the] [man] [can] [see]"},
        {"MP3和A4", "[MP3] he2 [A4]"},
        {"ＡＢＣ", "[ＡＢＣ]"},
        {"don't", "[don't]"},
    });
}

TEST(Readings, TokensCoverTheTextInOrder) {
    for (const char* text :
         {"你好，Tom！2024年", "  \n", "《小白兔》……", "a中b中", "\xF0\x9F\x98\x80好", ""}) {
        const std::u32string u = utf8ToUtf32(text);
        const TextReading reading = readings().read(u);
        uint32_t at = 0;
        for (const Token& token : reading.tokens) {
            EXPECT_EQ(token.begin, at) << text;
            EXPECT_LT(token.begin, token.end) << text;
            EXPECT_LE(token.firstSyllable + token.syllableCount, reading.syllables.size());
            if (token.kind == TokenKind::Word) {
                EXPECT_EQ(token.syllableCount, token.end - token.begin);
            }
            at = token.end;
        }
        EXPECT_EQ(at, u.size()) << text;
    }
}

TEST(Readings, CharactersWithoutAReadingAreLeftUnread) {
    const std::u32string text = U"\U00020000\U0001F600\xD800\x9FFF\x10FFFF\xFFFD好";
    const TextReading reading = readings().read(text);
    ASSERT_EQ(reading.tokens.size(), text.size());
    for (size_t k = 0; k + 1 < text.size(); ++k)
        EXPECT_EQ(reading.tokens[k].kind, TokenKind::Unread) << std::hex << uint32_t(text[k]);
    EXPECT_EQ(reading.tokens.back().kind, TokenKind::Word);
    EXPECT_EQ(readings().characterReadings(text).back(), "hao3");
}

TEST(Readings, CharacterReadingsGiveOneSyllablePerChineseCharacter) {
    const std::u32string text = utf8ToUtf32("我有3个apple，爸爸！");
    const std::vector<std::string_view> expected = {"wo3", "you3", "", "ge4", "",    "", "",
                                                    "",    "",     "", "ba4", "ba5", ""};
    EXPECT_EQ(readings().characterReadings(text), expected);
}

TEST(Readings, LongTextsAreReadWhole) {
    std::u32string text;
    for (int i = 0; i < 200000; ++i)
        text += U"小白兔，白又白，2只耳朵竖起来。";
    const TextReading reading = readings().read(text);
    EXPECT_EQ(reading.tokens.back().end, text.size());
    // Ten thousand ideographs with no punctuation are one run.
    EXPECT_EQ(readings().characterReadings(std::u32string(10000, U'好')).back(), "hao3");
}

TEST(MarkTone, PutsTheMarkWherePinyinIsWritten) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"ma1", "mā"},   {"hao3", "hǎo"},       {"liu4", "liù"}, {"gui4", "guì"}, {"nü3", "nǚ"},
        {"lüe4", "lüè"}, {"zhuang1", "zhuāng"}, {"dou1", "dōu"}, {"ma5", "ma"},   {"er5", "er"},
        {"m2", "m"},     {"xyz", "xyz"},        {"", ""},
    };
    for (const auto& [syllable, marked] : cases)
        EXPECT_EQ(markTone(syllable), marked) << syllable;
}

TEST(Utf8, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(utf8ToUtf32("a\xFF\xC3"), U"a\xFFFD\xFFFD");
    EXPECT_EQ(utf8ToUtf32("\xED\xA0\x80"), U"\xFFFD\xFFFD\xFFFD");  // an encoded surrogate
    EXPECT_EQ(utf8ToUtf32("\xE0\x80\xAF"), U"\xFFFD\xFFFD\xFFFD");  // overlong
    EXPECT_EQ(utf32ToUtf8(U"好\U00020000"), "好\xF0\xA0\x80\x80");
}

// The characters in no word fall back on the game's pinyin table: the two
// must hold the same reading for every character.
TEST(PerCharacterTable, AgreesWithTheGamesTableLineByLine) {
    iconv_t gbk = iconv_open("UTF-8", "GBK");
    ASSERT_NE(gbk, reinterpret_cast<iconv_t>(-1));
    size_t lines = 0;
    for (int part = 0; part <= 12; ++part) {
        char name[64];
        std::snprintf(name, sizeof name, "/data/pinyin/pinyin%02d.txt", part);
        std::ifstream file(std::string(MANDARIN_SOURCE_DIR) + name, std::ios::binary);
        ASSERT_TRUE(file) << name;
        std::string line;
        while (std::getline(file, line)) {
            std::string utf8(line.size() * 2, '\0');
            char* in = line.data();
            char* out = utf8.data();
            size_t inLeft = line.size(), outLeft = utf8.size();
            ASSERT_NE(iconv(gbk, &in, &inLeft, &out, &outLeft), size_t(-1)) << name;
            utf8.resize(utf8.size() - outLeft);
            const std::u32string decoded = utf8ToUtf32(utf8);
            const size_t space = utf8.find(' ');
            std::string reading = utf8.substr(space + 1);
            if (!reading.empty() && reading.back() == '\r')
                reading.pop_back();
            ASSERT_EQ(readings().tableReading(decoded[0]), reading) << name << " line " << lines;
            ++lines;
        }
    }
    iconv_close(gbk);
    EXPECT_EQ(lines, 27553u);
    EXPECT_EQ(readings().tableReading(U'，'), "");
}

}  // namespace
}  // namespace mandarin
