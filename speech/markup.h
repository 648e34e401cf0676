// Voice markup for the mixed modes: a text that mixes Chinese and English is
// cut into runs of one language, and each run is preceded by the engine's
// voice tag for a Chinese or an English voice.
//
// The markup is the header <xml version="1.0"><SAPI> followed by the text,
// with a voice tag wherever a run opens. Nothing else is added: no closing
// tags, and no character of the text is escaped, so the engine reads markup
// the caller wrote into the text as markup. Every character of the text keeps
// its order, so a position in the markup maps back to one in the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lenvoro {

constexpr std::u16string_view kMarkupHeader = u"<xml version=\"1.0\"><SAPI>";

// What a UTF-16 unit of the text does to the runs.
enum class MarkupClass {
    Separator,  // space, CR, LF: copied, never opens or ends a run
    English,    // any other unit below U+0080: opens an English run
    Chinese,    // U+3000 .. U+9FFF (CJK punctuation, kana, bopomofo, ideographs)
    Neutral,    // everything else: belongs to the open run, never opens one
};

constexpr MarkupClass ClassifyMarkupUnit(char16_t unit) {
    if (unit == u' ' || unit == u'\r' || unit == u'\n')
        return MarkupClass::Separator;
    if (unit < 0x80)
        return MarkupClass::English;
    if (unit >= 0x3000 && unit <= 0x9FFF)
        return MarkupClass::Chinese;
    return MarkupClass::Neutral;
}

// The voice tags of a mixed-mode voice pair.
struct VoicePairTags {
    std::u16string_view
        chinese;  // "Microsoft Simplified Chinese" (1-3) or "Chinese Female Voice" (5-7)
    std::u16string_view
        english;  // "Microsoft Sam" (1, 5), "Microsoft Mary" (2, 6), "Microsoft Mike" (3, 7)
};

// The tags of voice pair 1, 2, 3, 5, 6 or 7; nothing for any other value.
std::optional<VoicePairTags> VoicePairTagsFor(int32_t voice);

// The exact length of text's markup with the tags of voice, in UTF-16 units
// without the terminator: header + text + one tag per opened run. Nothing for
// a voice without a pair, or a length that cannot be represented.
std::optional<size_t> VoiceMarkupLength(std::u16string_view text, int32_t voice);

enum class MarkupBuild {
    Built,        // text now holds its markup; the plain text's buffer is released
    NoVoicePair,  // voice is not 1, 2, 3, 5, 6 or 7: text is kept as it was
    OutOfMemory,  // the markup's memory could not be had: text is kept as it was
};

// Replaces text by its voice markup. Two passes over the text: the first
// counts the runs, the second writes the markup into one allocation of
// exactly VoiceMarkupLength units plus the terminator, which it never grows.
MarkupBuild BuildVoiceMarkup(std::u16string& text, int32_t voice);

// The missing-voice code of a markup: for each known voice whose tag occurs
// in it (anywhere, also inside the caller's own text), 10 for "Microsoft
// Simplified Chinese", 20 for "Chinese Female Voice" and 1 for each English
// voice that is not installed. A lookup that fails counts as missing. 0 when
// every voice named is installed, without any lookup when none is named.
int32_t MissingMarkupVoicesCode(std::u16string_view markup);

// True when every voice the markup names is installed. Stores the missing-voice
// code in the engine state's voicePromptCase and, when it is not 0, raises the
// missing-voice prompt and returns false.
bool CheckMarkupVoices(std::u16string_view markup);

}  // namespace lenvoro
