#include "pinyin_line.h"

#include <gtest/gtest.h>

#include "picture_library.h"
#include "pinyin_table.h"
#include "pinyin_test_support.h"

namespace tukomi {
namespace {

using namespace testing;

struct Line {
    const char* text;
    const char* line;
};

void expectLines(const std::vector<Line>& cases, const PinyinTable& with) {
    for (const Line& c : cases)
        EXPECT_EQ(s(BuildPinyinLine(u(c.text), with)), c.line) << c.text;
}

TEST(PinyinLine, OnlyChineseCharactersAddASyllableAndOneSpace) {
    expectLines(
        {
            {"", ""},
            {"六", "liù "},
            {"女", "nǚ "},
            {"虐", "nüè "},
            {"的", "de "},
            // Digits, Latin letters and full-width punctuation add nothing.
            {"我有3只猫a，好吗？", "wǒ yǒu zhī māo hǎo ma "},
            {"，。！？“”", ""},
            {"ABC abc 123", ""},
            // A character that nothing reads adds nothing either.
            {"肀肀", ""},
            {"小肀猫", "xiǎo māo "},
            {"😀小猫😀", "xiǎo māo "},
        },
        table());
}

// Lines as a primary-school teacher writes them: the reading a character has
// in its word, neutral tones, and 一 and 不 as they are said.
TEST(PinyinLine, CharactersAreReadInContextAsATeacherWritesThem) {
    expectLines(
        {
            {"妈妈", "mā ma "},
            {"爸爸妈妈", "bà ba mā ma "},
            {"快乐", "kuài lè "},
            {"银行", "yín háng "},
            {"行人", "xíng rén "},
            {"长大了", "zhǎng dà le "},
            {"一只小鸟", "yì zhī xiǎo niǎo "},
            {"一个苹果", "yí gè píng guǒ "},
            {"第一", "dì yī "},
            {"我们去数一数", "wǒ men qù shǔ yi shǔ "},
            {"不要哭", "bú yào kū "},
            {"我有3个apple", "wǒ yǒu gè "},
        },
        table());
}

// The pinyin table reads what the readings in context leave without a
// syllable; where both read a character, the context wins.
TEST(PinyinLine, TheTableReadsWhatTheContextLeavesUnread) {
    const PinyinTable own(u("\U000F0000 ma1\r\n\uE000 liu4\r\n行 xing2\r\n"));
    expectLines({{"\U000F0000\uE000", "mā liù "}, {"银行", "yín háng "}}, own);
    expectLines({{"\U000F0000", ""}, {"银行", "yín háng "}}, PinyinTable(QString()));
}

TEST(PinyinLine, SyllablesNameTheirCharactersInUtf16Units) {
    const PinyinTable own(u("\U000F0000 ma1\r\n"));
    const auto syllables = PinyinSyllables(u("A\U000F0000小，猫"), own);
    ASSERT_EQ(syllables.size(), 3u);
    const struct {
        qsizetype position, length;
        const char* syllable;
    } expected[] = {{1, 2, "mā"}, {3, 1, "xiǎo"}, {5, 1, "māo"}};
    for (std::size_t i = 0; i < syllables.size(); ++i) {
        EXPECT_EQ(syllables[i].position, expected[i].position) << i;
        EXPECT_EQ(syllables[i].length, expected[i].length) << i;
        EXPECT_EQ(s(syllables[i].syllable), expected[i].syllable) << i;
    }
}

// The pinyin line of every picture, as read from the shipped picture texts,
// against readings written by hand.
TEST(PinyinLine, EveryPictureTextReadsAsATeacherWritesIt) {
    const char* const expected[] = {
        "hóng hóng de píng guǒ ",     // 红红的苹果
        "xiǎo māo ài chī yú ",        // 小猫爱吃鱼
        "xiǎo gǒu wāng wāng jiào ",   // 小狗汪汪叫
        "xiǎo jī chī mǐ ",            // 小鸡吃米
        "xiǎo yā yóu shuǐ ",          // 小鸭游水
        "xiǎo bái tù ",               // 小白兔
        "dà xióng māo ",              // 大熊猫
        "xiǎo hóu chī xiāng jiāo ",   // 小猴吃香蕉
        "dà xiàng zài hé biān ",      // 大象在河边
        "nǎi niú chī cǎo ",           // 奶牛吃草
        "xiǎo niǎo zài chàng gē ",    // 小鸟在唱歌
        "hú dié ài huā ",             // 蝴蝶爱花
        "chí táng lǐ de qīng wā ",    // 池塘里的青蛙
        "xià tiān chī xī guā ",       // 夏天吃西瓜
        "tián tián de pú tao ",       // 甜甜的葡萄
        "hǎo chī de yīng tao ",       // 好吃的樱桃
        "shēng rì dàn gāo ",          // 生日蛋糕
        "wǒ ài bà ba mā ma ",         // 我爱爸爸妈妈
        "nǎi nai jiǎng gù shi ",      // 奶奶讲故事
        "wǒ de jiā ",                 // 我的家
        "xiǎo péng you shàng xué ",   // 小朋友上学
        "wǒ ài dú shū ",              // 我爱读书
        "xià yǔ le ",                 // 下雨了
        "dōng tiān duī xuě rén ",     // 冬天堆雪人
        "tài yáng chū lái le ",       // 太阳出来了
        "yǔ hòu cǎi hóng ",           // 雨后彩虹
        "wān wān de yuè liang ",      // 弯弯的月亮
        "chūn tiān huā kāi ",         // 春天花开
        "qiū tiān dào le ",           // 秋天到了
        "huǒ chē wū wū jiào ",        // 火车呜呜叫
        "fēi jī fēi shàng tiān ",     // 飞机飞上天
        "xiǎo chuán zài hǎi shàng ",  // 小船在海上
    };
    static_assert(std::size(expected) == pictureCapacity);
    PictureTexts texts;
    const auto error =
        PictureLibrary(QStringLiteral(TUKOMI_SOURCE_DIR "/data")).ReadPictureTexts(texts);
    ASSERT_FALSE(error.has_value()) << s(error->message());
    for (int n = 1; n <= pictureCapacity; ++n) {
        const QString text = texts.text(n);
        EXPECT_EQ(s(BuildPinyinLine(text, table())), expected[n - 1])
            << "picture " << n << ": " << s(text);
        EXPECT_EQ(BuildPinyinLine(text, table()).count(u' '), text.size())
            << "picture " << n << ": one syllable per character";
    }
}

}  // namespace
}  // namespace tukomi
