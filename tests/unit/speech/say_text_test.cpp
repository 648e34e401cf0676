// lenvoro-say's texts: what the locale's bytes read as, where a long text is
// cut into pieces, and which interface language a locale selects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codeset/codeset.h"
#include "default_voice.h"
#include "locale_text.h"
#include "say_texts.h"

namespace lenvoro::say {
namespace {

std::u16string joined(const std::vector<std::u16string>& pieces) {
    std::u16string text;
    for (const auto& piece : pieces)
        text += piece;
    return text;
}

// 銆侤 is E3 80 82 40 in GBK: its first three bytes are the UTF-8 of 。, which
// is no place to cut.
TEST(SayText, GbkTextIsCutBetweenCharactersNotInsideThem) {
    const std::string sentence = "\xC4\xE3\xBA\xC3\xE3\x80\x82\x40\xE3\x80\x82\x40\xA1\xA3";
    std::string bytes;
    for (int i = 0; i < 40; ++i)
        bytes += sentence;
    const std::u16string text = codeset::toUtf16(bytes, "GBK");
    std::u16string expected;
    for (int i = 0; i < 40; ++i)
        expected += u"你好銆侤銆侤。";
    ASSERT_EQ(text, expected);

    const std::vector<std::u16string> pieces = SplitIntoPieces(text, 28);
    EXPECT_EQ(joined(pieces), text);
    ASSERT_EQ(pieces.size(), 10u);
    for (const auto& piece : pieces) {
        EXPECT_EQ(piece.size(), 28u);
        EXPECT_EQ(piece.back(), u'。');
    }
}

TEST(SayText, PiecesEndWhereTheReadingDoesNotChange) {
    struct Case {
        std::u16string text;
        size_t minimum;
        std::vector<std::u16string> pieces;
    };
    const Case cases[] = {
        {u"Pi is 3.14. Next one", 1, {u"Pi is 3.14.", u" Next one"}},
        {u"Really?! Yes; no", 1, {u"Really?!", u" Yes;", u" no"}},
        {u"他说：“好。”然后走了！", 1, {u"他说：“好。”", u"然后走了！"}},
        {u"first\nsecond", 1, {u"first\n", u"second"}},
        {u"一。二。三。", 4, {u"一。二。", u"三。"}},
        {u"no end at all", 1, {u"no end at all"}},
        {u"", 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
        EXPECT_EQ(SplitIntoPieces(c.text, c.minimum), c.pieces);
    }
}

TEST(SayText, BytesOutsideTheCodeSetReadAsReplacementCharacters) {
    struct Case {
        std::string bytes, codeSet;
        std::u16string text;
    };
    const Case cases[] = {
        {"a\xFF"
         "b",
         "UTF-8", u"a\uFFFDb"},
        {"\xC4\xE3\xBA", "GBK", u"你\uFFFD"},  // ends inside a character
        {"\xE4\xBD\xA0", "NO-SUCH-CODE-SET", u"你"},
        {"\xA7\xDA", "BIG5", u"我"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codeSet);
        EXPECT_EQ(codeset::toUtf16(c.bytes, c.codeSet), c.text);
    }
    EXPECT_EQ(Utf16ToUtf32(u"a\U0001F600\xD800"), U"a\U0001F600\uFFFD");
}

TEST(SayText, LocalesSelectTheLibrarysInterfaceLanguage) {
    const std::pair<const char*, Language> cases[] = {
        {"zh_CN.GBK", Language::CN},  {"zh", Language::CN},    {"zh_AB", Language::CN},
        {"zh_TW.Big5", Language::TW}, {"ZH-hk", Language::TW}, {"zh_SG", Language::TW},
        {"zh_MO", Language::ENG},     {"zh_C", Language::ENG}, {"en_US.UTF-8", Language::ENG},
        {"C", Language::ENG},         {"", Language::ENG},     {"de_DE@euro", Language::ENG},
    };
    for (const auto& [locale, language] : cases) {
        SCOPED_TRACE(locale);
        EXPECT_EQ(LanguageForLocale(locale), language);
    }
    EXPECT_EQ(Fill("{a} and {b}, not {c}", {{"a", "one"}, {"b", "{a}"}}), "one and {a}, not {c}");
}

TEST(SayText, DefaultVoiceIsNamedWithItsReason) {
    using Reason = engine::DefaultTokenReason;
    struct Case {
        std::optional<DefaultVoice> voice;
        Language language;
        const char* locale;
        std::string line;
    };
    const Case cases[] = {
        {DefaultVoice{"Microsoft Sam", Reason::Language}, Language::ENG, "en_US.UTF-8",
         "Microsoft Sam, as no voice is chosen with --settings and the locale en_US.UTF-8 is "
         "English"},
        {DefaultVoice{"Microsoft Sam", Reason::Language}, Language::ENG, "",
         "Microsoft Sam, as "
         "no voice is chosen with --settings and the locale C is English"},
        {DefaultVoice{"Microsoft Simplified Chinese", Reason::Language}, Language::CN, "zh_CN.GBK",
         "Microsoft Simplified Chinese，因为还没有用 --settings 选择语音，而区域设置 zh_CN.GBK "
         "是中文"},
        {DefaultVoice{"Microsoft Sam", Reason::FirstToken}, Language::TW, "zh_TW",
         "Microsoft Sam，因為還沒有用 --settings 選擇語音，也沒有安裝中文語音庫"},
        {DefaultVoice{"Microsoft Mary", Reason::Stored}, Language::ENG, "zh_CN",
         "Microsoft Mary, chosen with --settings"},
        {std::nullopt, Language::CN, "zh_CN", "无，因为没有安装任何语音库"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(DescribeDefaultVoice(c.voice, TextsFor(c.language), c.locale), c.line);
    }
}

}  // namespace
}  // namespace lenvoro::say
