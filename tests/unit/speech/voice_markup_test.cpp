// The mixed-language voice markup: what it looks like, that it is built in one
// allocation of exactly its size, and that the engine reads it back with each
// character of the text in the right voice and at a position that maps back to
// the text.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "engine/markup.h"
#include "markup.h"

namespace lenvoro {
namespace {

// Written out here rather than taken from the code, so a wrong tag is caught.
const std::u16string kHeader = u"<xml version=\"1.0\"><SAPI>";
const std::u16string kSimplifiedChinese = u"<VOICE REQUIRED=\"NAME=Microsoft Simplified Chinese\">";
const std::u16string kChineseFemale = u"<VOICE REQUIRED=\"NAME=Chinese Female Voice\">";
const std::u16string kSam = u"<VOICE REQUIRED=\"NAME=Microsoft Sam\">";
const std::u16string kMary = u"<VOICE REQUIRED=\"NAME=Microsoft Mary\">";
const std::u16string kMike = u"<VOICE REQUIRED=\"NAME=Microsoft Mike\">";

struct Pair {
    int32_t voice;
    std::u16string chinese;
    std::u16string english;
};
const std::vector<Pair> kPairs = {{1, kSimplifiedChinese, kSam},  {2, kSimplifiedChinese, kMary},
                                  {3, kSimplifiedChinese, kMike}, {5, kChineseFemale, kSam},
                                  {6, kChineseFemale, kMary},     {7, kChineseFemale, kMike}};

// The expected markup: header, then the text with "{E}" and "{C}" standing for
// the pair's English and Chinese tags.
std::u16string Expand(std::u16string pattern, const Pair& pair) {
    for (auto [marker, tag] : {std::pair{std::u16string(u"{E}"), pair.english},
                               std::pair{std::u16string(u"{C}"), pair.chinese}}) {
        for (size_t at = pattern.find(marker); at != std::u16string::npos;
             at = pattern.find(marker, at)) {
            pattern.replace(at, marker.size(), tag);
            at += tag.size();
        }
    }
    return kHeader + pattern;
}

std::string Printable(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F)
            out += static_cast<char>(c);
        else
            out += "\\u" + std::to_string(static_cast<unsigned>(c));
    }
    return out;
}

// Builds the markup and checks what every markup must satisfy: it was built,
// its length is the one computed in advance, and the string holds exactly that
// many units (a string that had grown while being built would have room to spare).
std::u16string BuildChecked(std::u16string_view text, int32_t voice) {
    const auto computed = VoiceMarkupLength(text, voice);
    std::u16string markup(text);
    EXPECT_EQ(BuildVoiceMarkup(markup, voice), MarkupBuild::Built);
    EXPECT_TRUE(computed.has_value());
    if (computed) {
        EXPECT_EQ(markup.size(), *computed);
    }
    EXPECT_EQ(markup.capacity(), markup.size()) << "allocated more than the computed size";
    return markup;
}

struct Example {
    std::u16string text;
    std::u16string markup;  // after the header, {E}/{C} for the tags
    int32_t voice = 3;
};

TEST(VoiceMarkup, BuildsTheRunsAndTagsOfEachText) {
    const std::vector<Example> examples = {
        {u"Hello 世界", u"{E}Hello {C}世界"},
        {u"你好,Tom!", u"{C}你好{E},Tom!"},
        {u"3个苹果", u"{E}3{C}个苹果"},
        {u"你好\uFF0C世界", u"{C}你好\uFF0C世界"},  // the full-width comma stays in the run
        {u"中文 English 中文", u"{C}中文 {E}English {C}中文"},
        {u"\r\n", u"\r\n"},
        {u"  \r\n \n ", u"  \r\n \n "},
        {u"", u""},
        {u"abc", u"{E}abc"},
        {u"abc def", u"{E}abc def"},
        {u"a中b中", u"{E}a{C}中{E}b{C}中"},
        {u"\u00E9", u"\u00E9"},
        {u"\u00E9a", u"\u00E9{E}a"},
        {u"\u3105", u"{C}\u3105"},  // bopomofo
        {u"\u3042", u"{C}\u3042"},  // kana
        {u"\uD55C", u"\uD55C"},     // Hangul is neutral
        {u"\t中", u"{E}\t{C}中"},   // tab and control characters are English
        {u"\u007F\u0080", u"{E}\u007F\u0080"},
        {u"\u2FFF\u3000\u9FFF\uA000", u"\u2FFF{C}\u3000\u9FFF\uA000"},
        {u"\u3001\u3002", u"{C}\u3001\u3002"},  // CJK punctuation opens a Chinese run
        {u"a\U00020000b", u"{E}a\U00020000b"},  // surrogate halves are neutral
        {u"\xDC00\xD800中", u"\xDC00\xD800{C}中"},
        {u"<b>中&amp;", u"{E}<b>{C}中{E}&amp;"},  // nothing is escaped
        {u"中 \r\n中", u"{C}中 \r\n中"},          // separators never end a run
        {u"Hi 你", u"{E}Hi {C}你", 1},
        {u"Hi 你", u"{E}Hi {C}你", 2},
        {u"Hi 你", u"{E}Hi {C}你", 5},
        {u"Hi 你", u"{E}Hi {C}你", 6},
        {u"Hi 你", u"{E}Hi {C}你", 7},
    };
    for (const auto& example : examples) {
        SCOPED_TRACE("text " + Printable(example.text) + ", voice " +
                     std::to_string(example.voice));
        const Pair& pair = *std::find_if(kPairs.begin(), kPairs.end(),
                                         [&](const Pair& p) { return p.voice == example.voice; });
        EXPECT_EQ(Printable(BuildChecked(example.text, example.voice)),
                  Printable(Expand(example.markup, pair)));
    }
}

TEST(VoiceMarkup, VoiceWithoutAPairIsRefusedAndTheTextKept) {
    for (const int32_t voice : {0, 4, 8, -1, INT32_MIN, INT32_MAX}) {
        SCOPED_TRACE(voice);
        std::u16string text = u"Hello 世界";
        EXPECT_EQ(BuildVoiceMarkup(text, voice), MarkupBuild::NoVoicePair);
        EXPECT_EQ(text, u"Hello 世界");
        EXPECT_FALSE(VoiceMarkupLength(text, voice).has_value());
    }
}

// Random texts drawn from every character class; every other text also holds
// markup characters, which the engine would read as markup.
class RandomTexts {
public:
    explicit RandomTexts(uint32_t seed) : random_(seed) {}

    std::u16string next() {
        static const std::pair<char16_t, char16_t>
            kRanges[] = {{u'a', u'z'},     {0x00, 0x7F},     {u' ', u' '},     {u'\r', u'\r'},
                         {u'\n', u'\n'},   {0x3000, 0x9FFF}, {0x4E00, 0x4E20}, {0x80, 0x2FFF},
                         {0xA000, 0xFFFF},  // surrogate halves too
                         {u'>', u'>'},     {u'"', u'"'},     {u'<', u'<'},     {u'&', u'&'}};
        const size_t ranges = std::size(kRanges) - (withMarkup_ ? 0 : 2);
        withMarkup_ = !withMarkup_;
        std::u16string text(pick(0, 120), u'\0');
        for (char16_t& unit : text) {
            const auto [low, high] = kRanges[pick(0, ranges - 1)];
            unit = static_cast<char16_t>(pick(low, high));
        }
        return text;
    }

private:
    size_t pick(size_t low, size_t high) {
        return std::uniform_int_distribution<size_t>(low, high)(random_);
    }
    std::mt19937 random_;
    bool withMarkup_ = false;
};

constexpr uint32_t kSeed = 20040229;
constexpr int kRandomTexts = 600;

// Splits a markup into the text it was built from, recording for each unit of
// the text where it stands in the markup and which tag's run it is in.
struct Unbuilt {
    std::u16string text;
    std::vector<size_t> markupPosition;      // per unit of text
    std::vector<const std::u16string*> run;  // per unit of text: the open tag, or nullptr
    std::vector<const std::u16string*> tags;
};

Unbuilt Unbuild(std::u16string_view markup, const Pair& pair) {
    Unbuilt out;
    EXPECT_EQ(markup.substr(0, kHeader.size()), kHeader);
    const std::u16string* open = nullptr;
    for (size_t i = kHeader.size(); i < markup.size();) {
        const std::u16string* tag = nullptr;
        for (const std::u16string* candidate : {&pair.english, &pair.chinese}) {
            if (markup.substr(i, candidate->size()) == *candidate)
                tag = candidate;
        }
        if (tag != nullptr) {
            out.tags.push_back(tag);
            open = tag;
            i += tag->size();
            continue;
        }
        out.text += markup[i];
        out.markupPosition.push_back(i);
        out.run.push_back(open);
        ++i;
    }
    return out;
}

// What the engine makes of one unit (or a surrogate pair) of plain text.
char32_t AsRead(std::u16string_view text, size_t i, uint32_t* length) {
    const char16_t c = text[i];
    *length = 1;
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
        *length = 2;
        return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
    }
    if (c >= 0xD800 && c <= 0xDFFF)
        return 0xFFFD;
    if (c < 0x20 && c != u'\n' && c != u'\r' && c != u'\t')
        return U' ';
    return c;
}

std::u16string QueryOf(const std::u16string* tag) {
    if (tag == nullptr)
        return u"";
    const size_t start = tag->find(u"NAME=");
    return tag->substr(start, tag->size() - start - 2);  // without the closing quote and ">"
}

TEST(VoiceMarkup, RandomTextsFitTheirExactAllocationAndReadBackInTheirVoicesAtTheirPositions) {
    RandomTexts texts(kSeed);
    for (int n = 0; n < kRandomTexts; ++n) {
        const std::u16string text = texts.next();
        for (const Pair& pair : kPairs) {
            SCOPED_TRACE("seed " + std::to_string(kSeed) + " text " + std::to_string(n) +
                         " voice " + std::to_string(pair.voice) + ": " + Printable(text));
            const std::u16string markup = BuildChecked(text, pair.voice);
            const Unbuilt unbuilt = Unbuild(markup, pair);
            ASSERT_EQ(unbuilt.text, text) << "the text must come back unchanged between the tags";
            for (size_t k = 1; k < unbuilt.tags.size(); ++k) {
                EXPECT_NE(unbuilt.tags[k], unbuilt.tags[k - 1]) << "a run was opened twice";
            }
            for (size_t i = 0; i < text.size(); ++i) {
                const MarkupClass type = ClassifyMarkupUnit(text[i]);
                if (type == MarkupClass::English) {
                    EXPECT_EQ(unbuilt.run[i], &pair.english) << "at " << i;
                } else if (type == MarkupClass::Chinese) {
                    EXPECT_EQ(unbuilt.run[i], &pair.chinese) << "at " << i;
                }
            }
            // The caller's own "<" and "&" are markup to the engine; read back the rest.
            if (text.find_first_of(u"<&") != std::u16string::npos)
                continue;

            std::vector<size_t> textIndex(markup.size(), SIZE_MAX);  // markup -> text position
            for (size_t i = 0; i < text.size(); ++i)
                textIndex[unbuilt.markupPosition[i]] = i;
            size_t expectedNext = 0;  // every unit of the text is read once, in order
            for (const engine::SpeechPiece& piece : engine::readMarkup(markup)) {
                ASSERT_FALSE(piece.isSilence());
                for (size_t k = 0; k < piece.text.size(); ++k) {
                    ASSERT_LT(piece.sourceOffset[k], markup.size());
                    const size_t i = textIndex[piece.sourceOffset[k]];
                    ASSERT_NE(i, SIZE_MAX) << "read a tag's character at " << piece.sourceOffset[k];
                    ASSERT_EQ(i, expectedNext);
                    uint32_t length = 0;
                    EXPECT_EQ(piece.text[k], AsRead(text, i, &length)) << "at " << i;
                    EXPECT_EQ(piece.sourceLength[k], length) << "at " << i;
                    EXPECT_EQ(piece.voiceRequired(), QueryOf(unbuilt.run[i])) << "at " << i;
                    expectedNext = i + length;
                }
            }
            EXPECT_EQ(expectedNext, text.size()) << "the engine did not read the whole text";
        }
    }
}

}  // namespace
}  // namespace lenvoro
