#include <gtest/gtest.h>
#include <malloc.h>

#include <chrono>

#include "engine/markup.h"
#include "engine/text_splitter.h"

namespace lenvoro::engine {
namespace {

std::u32string textOf(const std::vector<SpeechPiece>& pieces) {
    std::u32string all;
    for (const auto& piece : pieces)
        all += piece.text;
    return all;
}

TEST(Markup, CharactersKeepTheirOffsetsInTheOriginalTextWithTags) {
    const std::u16string text =
        u"<xml version=\"1.0\"><SAPI><VOICE REQUIRED=\"NAME=Microsoft Mike\">Hi <VOICE "
        u"REQUIRED=\"NAME=Microsoft Simplified Chinese\">你好";
    const auto pieces = readMarkup(text);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, U"Hi ");
    EXPECT_EQ(pieces[0].voiceRequired(), u"NAME=Microsoft Mike");
    EXPECT_EQ(pieces[0].sourceOffset[0], text.find(u"Hi"));
    EXPECT_EQ(pieces[1].text, U"你好");
    EXPECT_EQ(pieces[1].voiceRequired(), u"NAME=Microsoft Simplified Chinese");
    EXPECT_EQ(pieces[1].sourceOffset[0], text.find(u"你好"));
    EXPECT_EQ(pieces[1].sourceOffset[1], text.find(u"你好") + 1);
}

TEST(Markup, LoneLessThanThatStartsNoTagIsText) {
    for (const std::u16string text : {u"a < b", u"1<2", u"x <", u"<<voice>", u"a <b c"}) {
        const auto all = textOf(readMarkup(text));
        EXPECT_NE(all.find(U'<'), std::u32string::npos) << std::string(text.begin(), text.end());
    }
    // A real tag after the lone "<" still counts.
    EXPECT_EQ(textOf(readMarkup(u"<<silence msec=\"5\"/>x")), U"<x");
}

TEST(Markup, UnknownTagsAreSkippedAndTheirTextRead) {
    const auto pieces =
        readMarkup(u"<emph>big</emph> <bookmark mark=\"m\"/>deal<!-- note --><?pi x?>!");
    EXPECT_EQ(textOf(pieces), U"big deal!");
}

TEST(Markup, ClosingTagRestoresTheEnclosingSettings) {
    const auto pieces =
        readMarkup(u"a<voice required=\"Gender=Female\">b<rate absspeed=\"5\">c</rate>d</voice>e");
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_TRUE(pieces[0].voiceRequired().empty());
    EXPECT_EQ(pieces[1].voiceRequired(), u"Gender=Female");
    EXPECT_EQ(pieces[2].absoluteRate, 5);
    EXPECT_EQ(pieces[3].voiceRequired(), u"Gender=Female");
    EXPECT_FALSE(pieces[3].absoluteRate.has_value());
    EXPECT_TRUE(pieces[4].voiceRequired().empty());
}

TEST(Markup, RateVolumeAndSilenceAreClampedToTheirRanges) {
    const auto pieces = readMarkup(
        u"<rate absspeed=\"99\"/>a<rate speed=\"-99999999999\"/>b<volume level=\"-250\">c"
        u"<silence msec=\"99999999\"/>");
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0].absoluteRate, 10);
    EXPECT_EQ(pieces[1].relativeRate, -20);
    EXPECT_EQ(pieces[2].volumePercent, 0);
    EXPECT_TRUE(pieces[3].isSilence());
    EXPECT_EQ(pieces[3].silenceMs, kMaximumSilenceMs);
}

TEST(Markup, EntitiesBecomeCharactersSpanningTheirSource) {
    const std::u16string text = u"AT&amp;T &#20320;&#x597D; &bogus; &";
    const auto pieces = readMarkup(text);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, U"AT&T 你好 &bogus; &");
    EXPECT_EQ(pieces[0].sourceOffset[3], 7u);  // the T after "&amp;"
    EXPECT_EQ(pieces[0].sourceLength[2], 5u);
}

TEST(Markup, BrokenTextIsCleanedButKeepsOffsets) {
    std::u16string text = u"a";
    text.push_back(u'\0');
    text += u"b";
    text.push_back(char16_t(0xD800));  // lone high surrogate
    text += u"c";
    text += u"\U0001F600d";  // a pair: one character, two units
    const auto pieces = readMarkup(text);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, U"a b\uFFFDc\U0001F600d");
    EXPECT_EQ(pieces[0].sourceOffset[6], 7u);  // "d", after the pair
    EXPECT_EQ(pieces[0].sourceLength[5], 2u);
}

TEST(Markup, PlainModeReadsTagsAsText) {
    EXPECT_EQ(textOf(readMarkup(u"<voice>x</voice>", false)), U"<voice>x</voice>");
}

TEST(Markup, DeepNestingIsReadWithoutGrowingWithoutBound) {
    std::u16string text;
    for (int i = 0; i < 100000; ++i)
        text += u"<voice required=\"Name=X\">";
    text += u"deep";
    for (int i = 0; i < 100000; ++i)
        text += u"</voice>";
    text += u"out";
    const auto pieces = readMarkup(text);
    EXPECT_EQ(textOf(pieces), U"deepout");
}

// Every text here is plain: openings that never close, and a voice query too
// long to be one. Looking for the end again from each opening takes seconds on
// these texts; reading each once takes milliseconds.
TEST(Markup, OpeningsThatNeverCloseAreReadInLinearTime) {
    const std::u16string longQuery = u"<voice required=\"" + std::u16string(100000, u'x') + u"\">";
    const struct {
        std::u16string head;
        std::u16string repeated;
    } cases[] = {
        {u"", u"a&b "},    {u"", u"<!--x "},      {u"", u"<?x "},
        {u"", u"<a b=\""}, {u"", u"<![CDATA[x "}, {longQuery, u"y"},
    };
    for (const auto& [head, repeated] : cases) {
        std::u16string text = head;
        while (text.size() < 200000)
            text += repeated;
        const auto start = std::chrono::steady_clock::now();
        const auto pieces = readMarkup(text);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        const std::string name(text.begin(), text.begin() + 20);
        EXPECT_TRUE(textOf(pieces) == std::u32string(text.begin(), text.end())) << name;
        EXPECT_LT(elapsed, std::chrono::seconds(2)) << name;
    }
}

TEST(Markup, ALongVoiceQueryCostsItsLengthOnceHoweverManyPiecesItCovers) {
    // A long query left open, and a voice tag around every character (as
    // mixed reading writes them): the pieces must not each copy the query.
    const std::u16string query(4000, u'A');
    std::u16string text = u"<voice optional=\"" + query + u"\">";
    for (int i = 0; i < 20000; ++i)
        text +=
            u"<voice required=\"Language=804\">中</voice><voice "
            u"required=\"Language=409\">x</voice>";
    const size_t before = mallinfo2().uordblks;
    const auto pieces = readMarkup(text);
    const size_t used = mallinfo2().uordblks - before;
    ASSERT_EQ(pieces.size(), 40000u);
    EXPECT_EQ(pieces.back().voiceOptional(), query);
    EXPECT_LT(used, 20 * text.size() * sizeof(char16_t)) << "bytes held by the pieces";
}

TEST(TextSplitter, ChineseRunsAreCutBelowEspeakLimit) {
    const std::u32string text(2000, U'中');
    const auto ranges = splitForSynthesis(text);
    size_t covered = 0;
    for (const auto& [begin, end] : ranges) {
        EXPECT_EQ(begin, covered);
        EXPECT_LE(end - begin, kMaximumChinesePieceCharacters);
        covered = end;
    }
    EXPECT_EQ(covered, text.size());
}

TEST(TextSplitter, LongEnglishIsCutAtSentencesAndSpaces) {
    std::u32string text;
    for (int i = 0; i < 40; ++i)
        text += U"This is sentence number one of many. ";
    const auto ranges = splitForSynthesis(text);
    ASSERT_GT(ranges.size(), 3u);
    for (const auto& [begin, end] : ranges) {
        EXPECT_LE(end - begin, kMaximumPieceCharacters);
        if (end < text.size()) {
            EXPECT_TRUE(text[end - 1] == U'.' || text[end - 1] == U' ');
        }
    }
}

}  // namespace
}  // namespace lenvoro::engine
