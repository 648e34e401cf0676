// Text arguments of the entry points: NULL texts, and the texts a caller
// encodes for the locale (as the game does) read back as they were meant.
#include <gtest/gtest.h>

#include <string>

#include "ansi_text.h"
#include "voice_support.h"

namespace lenvoro {
namespace {

TEST(TextArguments, NullIsTheEmptyText) {
    EXPECT_EQ(AnsiArgument(nullptr), u"");
    EXPECT_EQ(AnsiArgument(nullptr, "GBK"), u"");
    EXPECT_EQ(WideArgument(nullptr), u"");
    EXPECT_EQ(WideArgument(u"x"), u"x");
}

TEST(TextArguments, WhatACallerEncodesForTheLocaleReadsBackInIt) {
    struct Case {
        const char* locale;
        std::string utf8;
        std::u16string read;
    };
    const Case cases[] = {
        {"zh_CN.GBK", "小猫喜欢喝牛奶 milk", u"小猫喜欢喝牛奶 milk"},
        {"zh_TW.BIG5", "小貓 milk", u"小貓 milk"},
        {"en_US.UTF-8", "小猫 \U0001F600", u"小猫 \U0001F600"},
        {"C", "小猫", u"小猫"},
        {"zh_CN.GBK", "a\U0001F600b", u"a?b"},  // what the code set lacks
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        const test::EnvironmentGuard locale("LC_ALL", c.locale);
        EXPECT_EQ(AnsiArgument(codeset::encodeForLocale(c.utf8).c_str()), c.read);
    }
}

}  // namespace
}  // namespace lenvoro
