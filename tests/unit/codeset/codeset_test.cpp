// Code sets: which one a locale selects, conversion to UTF-16 with invalid
// bytes marked, the byte length of a text in a code set, and the game's GBK
// and UTF-8 files.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "codeset/codeset.h"

namespace codeset {
namespace {

TEST(LocaleCodeSet, ComesFromTheLocaleName) {
    const std::pair<const char*, const char*> cases[] = {
        {"zh_CN.GBK", "GBK"},
        {"zh_TW.Big5", "Big5"},
        {"en_US.UTF-8@euro", "UTF-8"},
        {"de_DE.ISO-8859-15@euro", "ISO-8859-15"},
        {"", "UTF-8"},
        {"C", "UTF-8"},
        {"POSIX", "UTF-8"},
        {"xx_NOWHERE", "UTF-8"},  // a locale the system does not have
        {"zh_CN.", "UTF-8"},      // an empty code set: the name alone decides
    };
    for (const auto& [locale, codeSet] : cases) {
        EXPECT_EQ(codeSetOfLocale(locale), codeSet) << locale;
    }
    auto environment = [](const char* name) -> const char* {
        return std::string(name) == "LC_CTYPE" ? "zh_CN.GB18030" : nullptr;
    };
    EXPECT_EQ(localeCodeSet(environment), "GB18030");
}

TEST(ToUtf16, ConvertsAndMarksBytesOutsideTheCodeSet) {
    struct Case {
        std::string bytes;
        std::string codeSet;
        std::u16string expected;
    };
    const Case cases[] = {
        {"\xC4\xE3\xBA\xC3"
         "abc",
         "GBK", u"你好abc"},
        {"\xA7\x41\xA6\x6E", "BIG5", u"你好"},
        {"\xE4\xBD\xA0", "UTF-8", u"你"},
        {"\xFF"
         "a",
         "GBK", u"\uFFFDa"},           // no GBK character starts with 0xFF
        {"a\xC4", "GBK", u"a\uFFFD"},  // ends inside a character
        {"\xFF\xFE"
         "ok",
         "UTF-8", u"\uFFFD\uFFFDok"},                      // each bad byte marked once
        {"\xC4\xE3", "NO-SUCH-CODESET", u"\uFFFD\uFFFD"},  // read as UTF-8
        {"\xF0\x9F\x98\x80", "UTF-8", u"\U0001F600"},
        {"", "GBK", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(toUtf16(c.bytes, c.codeSet), c.expected) << c.codeSet;
    }
    // Longer than one conversion chunk.
    const std::string many(5000, 'x');
    EXPECT_EQ(toUtf16(many, "GBK"), std::u16string(5000, u'x'));
}

TEST(ToUtf16, TextCutOffInsideASequenceIsReadNoFurtherThanItsEnd) {
    struct Case {
        std::string bytes;
        const char* codeSet;
        std::u16string expected;
    };
    const Case cases[] = {
        // A shift-out with no set designated, which iconv takes before it fails.
        {"\x0e", "ISO-2022-CN-EXT", u"\uFFFD"},
        {"ab\x0e", "ISO-2022-CN-EXT", u"ab\uFFFD"},
        {"\x1b$*H\x0e", "ISO-2022-CN-EXT", u"\uFFFD"},
        {"\x1b$", "ISO-2022-CN-EXT", u"\uFFFD"},                // inside an escape sequence
        {"\x1b$)A\x0e\x30", "ISO-2022-CN-EXT", u"\uFFFD"},      // inside a character
        {"\x1b$)A\x0e\x30\x21", "ISO-2022-CN-EXT", u"\u554A"},  // the whole of it
        {"\xC4\xE3\xBA", "GBK", u"\u4F60\uFFFD"},
        {"\xE4\xBD", "UTF-8", u"\uFFFD"},
    };
    for (const Case& c : cases) {
        // Exactly as long as the text, so that a read past its end leaves the
        // allocation (AddressSanitizer reports it).
        const std::unique_ptr<char[]> exact(new char[c.bytes.size()]);
        std::memcpy(exact.get(), c.bytes.data(), c.bytes.size());
        EXPECT_EQ(toUtf16(std::string_view(exact.get(), c.bytes.size()), c.codeSet), c.expected)
            << c.codeSet << " " << testing::PrintToString(c.bytes);
    }
}

TEST(ToUtf16, RandomBytesGiveWellFormedUtf16InEveryCodeSet) {
    std::mt19937 random(20040229);
    for (const char* codeSet :
         {"GBK", "BIG5", "UTF-8", "GB18030", "ISO-2022-JP", "ISO-2022-CN-EXT"}) {
        for (int round = 0; round < 300; ++round) {
            std::string bytes(random() % 64, '\0');
            for (char& byte : bytes)
                byte = static_cast<char>(random() % 256);
            const std::u16string wide = toUtf16(bytes, codeSet);
            EXPECT_LE(wide.size(), bytes.size() * 2 + 1) << codeSet;
            for (size_t i = 0; i < wide.size(); ++i) {
                // No half of a surrogate pair stands alone.
                if (wide[i] >= 0xD800 && wide[i] <= 0xDBFF) {
                    ASSERT_LT(i + 1, wide.size()) << codeSet;
                    ASSERT_TRUE(wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) << codeSet;
                    ++i;
                } else {
                    ASSERT_FALSE(wide[i] >= 0xDC00 && wide[i] <= 0xDFFF) << codeSet;
                }
            }
            // Whatever was readable reads back to the same text (a stateful
            // ISO-2022 set may spell it with other shifts).
            if (wide.find(kReplacementUnit) == std::u16string::npos &&
                std::string(codeSet).find("ISO-2022") == std::string::npos) {
                EXPECT_EQ(encodedLength(wide, codeSet), bytes.size()) << codeSet;
            }
        }
    }
}

TEST(EncodedLength, CountsBytesInTheCodeSetAndOneForWhatItCannotHold) {
    EXPECT_EQ(encodedLength(u"你好abc", "GBK"), 7u);
    EXPECT_EQ(encodedLength(u"你好abc", "UTF-8"), 9u);
    EXPECT_EQ(encodedLength(u"a\U0001F600b", "GBK"), 3u);  // the emoji is one substitute
    EXPECT_EQ(encodedLength(u"a\U0001F600b", "GB18030"), 6u);
    EXPECT_EQ(encodedLength(std::u16string(u"a\xD800"
                                           "b"),
                            "GBK"),
              3u);  // a lone half
    EXPECT_EQ(encodedLength(u"", "GBK"), 0u);
}

TEST(DecodeGbkOrUtf8, ReadsGbkUnlessPlainlyUtf8AndFindsTheFirstFault) {
    struct Case {
        std::string bytes;
        const char* encoding;
        std::string text;
        std::ptrdiff_t firstInvalidByte;
        int firstInvalidLine;
    };
    const Case cases[] = {
        {"\xD0\xA1\xC3\xA8", "GBK", "小猫", -1, 0},  // valid UTF-8 too, but below U+0800
        {"\xE5\xB0\x8F\xE7\x8C\xAB", "UTF-8", "小猫", -1, 0},
        {"\xEF\xBB\xBF[1.a]", "UTF-8", "[1.a]", -1, 0},
        {"\xEF\xBB\xBF"
         "a\n\xFF",
         "UTF-8", "a\n\xFF", 5, 2},  // faults left to the caller
        {"ab\n\xC4\xE3\n\xFF", "GBK", "ab\n你\n\xEF\xBF\xBD", 6, 3},
        {"plain", "GBK", "plain", -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes));
        const DecodedText read = decodeGbkOrUtf8(c.bytes);
        EXPECT_STREQ(read.encoding, c.encoding);
        EXPECT_EQ(read.text, c.text);
        EXPECT_EQ(read.firstInvalidByte, c.firstInvalidByte);
        EXPECT_EQ(read.firstInvalidLine, c.firstInvalidLine);
    }
}

TEST(Encode, CharactersTheCodeSetLacksBecomeQuestionMarks) {
    EXPECT_EQ(encodeGbk("你好 a"), "\xC4\xE3\xBA\xC3 a");
    EXPECT_EQ(encodeGbk("a\U0001F600b"), "a?b");
    EXPECT_EQ(encodeGbk("a\xFF"
                        "b"),
              "a?b");  // not UTF-8 at all
    EXPECT_THROW(convert("NO-SUCH-CODESET", "UTF-8", "a", "?", Resume::AfterByte),
                 std::runtime_error);
}

}  // namespace
}  // namespace codeset
