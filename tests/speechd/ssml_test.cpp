// Reading Speech Dispatcher's SSML: text, marks and pauses survive; other
// markup disappears; whatever is not markup is read as text.
#include <gtest/gtest.h>

#include <chrono>

#include "ssml.h"
#include "test_support.h"

namespace lenvoro::speechd {
namespace {

using Kind = SsmlItem::Kind;

SsmlItem text(std::u32string value) {
    return {Kind::Text, std::move(value), {}, 0};
}
SsmlItem mark(std::string name) {
    return {Kind::Mark, {}, std::move(name), 0};
}
SsmlItem pause(uint32_t ms) {
    return {Kind::Break, {}, {}, ms};
}

struct SsmlCase {
    const char* ssml;
    std::vector<SsmlItem> items;
};

class SsmlReading : public testing::TestWithParam<SsmlCase> {};

TEST_P(SsmlReading, KeepsTextMarksAndPauses) {
    EXPECT_EQ(readSsml(GetParam().ssml), GetParam().items) << GetParam().ssml;
}

INSTANTIATE_TEST_SUITE_P(
    Ssml, SsmlReading,
    testing::Values(
        SsmlCase{"<speak>你好,世界。Hello world.</speak>", {text(U"你好,世界。Hello world.")}},
        SsmlCase{"<speak>Hello there.<mark name=\"__spd_0\"/> Next.<mark name='x y'/></speak>",
                 {text(U"Hello there."), mark("__spd_0"), text(U" Next."), mark("x y")}},
        SsmlCase{
            "<speak>&lt;b&gt; &amp; &quot;&apos; &#20320;&#x597D; &nbsp; &#0; &#xD800;</speak>",
            {text(U"<b> & \"' 你好 &nbsp; \uFFFD \uFFFD")}},
        SsmlCase{"a<break time=\"250ms\"/>b<break time='1.5s'/>c<break strength=\"weak\"/>"
                 "<break time=\"99s\"/><break/>",
                 {text(U"a"), pause(250), text(U"b"), pause(1500), text(U"c"), pause(200),
                  pause(kMaximumBreakMs), pause(400)}},
        SsmlCase{"<?xml version=\"1.0\"?><speak version=\"1.0\"><!-- note --><s>One</s>"
                 "<prosody rate=\"fast\">two</prosody></speak>",
                 {text(U"Onetwo")}},
        SsmlCase{"1 < 2, a<b, <3 & x<y z=1>, <a href=\"x>y\">link</a>",
                 {text(U"1 < 2, a<b, <3 & x<y z=1>, link")}},
        SsmlCase{"</mark name=\"x\"> <mark/> <mark name=\"unclosed>",
                 {text(U"</mark name=\"x\">  <mark name=\"unclosed>")}},
        SsmlCase{"bad \xC3\x28 \xF5\x80\x80\x80 \xED\xA0\x80 end\xE4",
                 {text(U"bad \uFFFD( \uFFFD\uFFFD\uFFFD\uFFFD \uFFFD end\uFFFD")}},
        SsmlCase{"<!-- never closed <mark name=\"a\"/>", {text(U"<!-- never closed "), mark("a")}},
        // How the server resends a message paused before its first mark.
        SsmlCase{"<speak>&lt;speak&gt;One.<mark name=\"__spd_0\"/>&lt;mark name=\"__spd_0\"/&gt; "
                 "Two.<mark name=\"__spd_1\"/>&lt;/speak&gt;</speak>",
                 {text(U"One."), mark("__spd_0"), text(U" Two.")}},
        SsmlCase{"<speak>&lt;speak&gt; is how it starts</speak>",
                 {text(U"<speak> is how it starts")}},
        SsmlCase{"", {}}),
    [](const testing::TestParamInfo<SsmlCase>& info) {
        return test::caseName(info.index, info.param.ssml);
    });

TEST(Ssml, PathologicalMarkupReadsInLinearTime) {
    // Each "<" could start a tag that never closes; scanning to the end from
    // every one of them would take minutes on these.
    for (const std::string& unit :
         {std::string("<a b=\""), std::string("<!--<?"), std::string("&#")}) {
        std::string ssml;
        while (ssml.size() < 2'000'000)
            ssml += unit;
        const auto start = std::chrono::steady_clock::now();
        const auto items = readSsml(ssml);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        ASSERT_EQ(items.size(), 1u) << unit;
        EXPECT_EQ(items[0].text.size(), ssml.size()) << unit;
        EXPECT_LT(elapsed, std::chrono::seconds(2)) << unit;
    }
}

TEST(Ssml, Utf8RoundTripsThroughAllLengths) {
    const std::u32string text = U"a é 中 😀 \U0010FFFF";
    EXPECT_EQ(decodeUtf8(encodeUtf8(text)), text);
}

}  // namespace
}  // namespace lenvoro::speechd
