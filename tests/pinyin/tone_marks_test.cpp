#include "tone_marks.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "picture_library.h"
#include "pinyin_table.h"

namespace tukomi {
namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}
std::string s(const QString& text) {
    return text.toStdString();
}

const PinyinTable& table() {
    static const PinyinTable t = [] {
        QString joined;
        for (const QString& part : PinyinTable::LoadPinyinParts())
            joined += part;
        return PinyinTable(joined);
    }();
    return t;
}

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

TEST(PinyinLine, EachReadCharacterAddsItsMarkedSyllableAndOneSpace) {
    const struct {
        const char* text;
        const char* line;
    } cases[] = {
        {"", ""},
        {"妈妈", "mā mā "},
        {"六", "liù "},
        {"女", "nǚ "},
        {"虐", "nüè "},
        {"的", "de "},
        // Digits, Latin letters and full-width punctuation add nothing.
        {"我有3只猫a，好吗？", "wǒ yǒu zhī māo hǎo ma "},
        {"，。！？“”", ""},
        {"ABC abc 123", ""},
        // A character the table leaves out adds nothing either.
        {"肀肀", ""},
        {"小肀猫", "xiǎo māo "},
        {"😀小猫😀", "xiǎo māo "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(s(BuildPinyinLine(u(c.text), table())), c.line) << c.text;
}

// The pinyin line of every picture, as read from the shipped picture texts,
// against readings written by hand.
TEST(PinyinLine, EveryPictureTextReadsAsWrittenByHand) {
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
        "tián tián de pú táo ",       // 甜甜的葡萄
        "hǎo chī de yīng táo ",       // 好吃的樱桃
        "shēng rì dàn gāo ",          // 生日蛋糕
        "wǒ ài bà bà mā mā ",         // 我爱爸爸妈妈
        "nǎi nǎi jiǎng gù shì ",      // 奶奶讲故事
        "wǒ de jiā ",                 // 我的家
        "xiǎo péng yǒu shàng xué ",   // 小朋友上学
        "wǒ ài dú shū ",              // 我爱读书
        "xià yǔ le ",                 // 下雨了
        "dōng tiān duī xuě rén ",     // 冬天堆雪人
        "tài yáng chū lái le ",       // 太阳出来了
        "yǔ hòu cǎi hóng ",           // 雨后彩虹
        "wān wān de yuè liàng ",      // 弯弯的月亮
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
