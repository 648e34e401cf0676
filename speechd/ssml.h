// Reading the SSML that Speech Dispatcher sends with SPEAK.
//
// The server wraps every message in <speak> and escapes the text (&lt;,
// &amp;); it places <mark name="__spd_N"/> after sentences, and clients may
// send SSML of their own. We keep what changes the reading: the text, the
// index marks and the pauses of <break>. Every other tag is skipped and its
// text read. A "<" that starts no well-formed tag is read as text, as is an
// entity we do not know; invalid UTF-8 becomes U+FFFD. Reading is linear in
// the length of the input and never fails.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lenvoro::speechd {

struct SsmlItem {
    enum class Kind { Text, Mark, Break };
    Kind kind = Kind::Text;
    std::u32string text;   // Text
    std::string markName;  // Mark
    uint32_t breakMs = 0;  // Break

    bool operator==(const SsmlItem&) const = default;
};

// The longest pause a <break> may ask for.
constexpr uint32_t kMaximumBreakMs = 10000;

// Consecutive text is one item; marks and breaks stand between them.
std::vector<SsmlItem> readSsml(std::string_view ssml);

// UTF-8 to UTF-32; invalid sequences become U+FFFD.
std::u32string decodeUtf8(std::string_view text);
std::string encodeUtf8(std::u32string_view text);

}  // namespace lenvoro::speechd
