// What a Mandarin voice hands to espeak-ng.
//
// espeak-ng's own Chinese voice reads the pinyin it looks up with English
// rules, so a Mandarin voice never gives it characters: a text becomes
// segments, each read by one espeak-ng voice. Chinese words and numbers
// become tone-numbered pinyin for espeak-ng's pinyin voice (one espeak-ng
// word per word of the text, its syllables joined: 银行 "yin2hang2"), with
// Chinese punctuation turned into the ASCII mark that makes the same pause.
// Latin words stay as written and go to an English voice, so that "man" is
// never read as the syllable man. Characters without a reading (rare
// ideographs, emoji, other scripts) are left out.
//
// Every character of a segment remembers which character of the source text
// it stands for and where the word it belongs to ends there, so espeak-ng's
// word positions lead back to the caller's text: the event of "yin2hang2"
// covers 银行, that of a number all its digits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lenvoro::engine {

// The espeak-ng voices a Mandarin voice reads its segments with.
inline constexpr std::string_view kPinyinEspeakVoice = "cmn-latn-pinyin";
inline constexpr std::string_view kEnglishEspeakVoice = "en-us";

// True for the espeak-ng names of Mandarin (cmn, cmn-latn-pinyin, zh,
// zh-cmn), in any case.
bool isMandarinVoice(std::string_view espeakName);

enum class SegmentLanguage : uint8_t {
    Pinyin,   // tone-numbered pinyin, for kPinyinEspeakVoice
    English,  // Latin words as written, for kEnglishEspeakVoice
};

struct TextSegment {
    SegmentLanguage language = SegmentLanguage::Pinyin;
    std::u32string text;  // what espeak-ng reads
    // Per character of text: the character of the source it stands for, and
    // the end (exclusive) of the source's word it is part of.
    std::vector<uint32_t> source;
    std::vector<uint32_t> sourceEnd;
};

// The segments of text, in reading order. Text that has nothing to read
// (punctuation, spaces, characters without a reading) gives none.
std::vector<TextSegment> mandarinSegments(std::u32string_view text);

}  // namespace lenvoro::engine
