// Reading the XML that callers hand the engine with their text.
//
// The reader turns a text with tags into pieces: runs of characters to speak,
// each with the voice, rate and volume in effect, and silences. Every
// character keeps the position and length, in UTF-16 units, that it had in the
// original text, so word positions reported while speaking refer to the text
// the caller gave, tags included.
//
// Tags understood: voice (required, optional attribute queries), rate
// (absspeed, speed), volume (level), silence (msec). Other tags, comments and
// processing instructions are skipped; the text inside them is read. A "<"
// that does not start a well-formed tag, or starts one with a name or value
// over 4096 units, is read as text. Entities (&lt; &#20320; ...) become their
// character. Reading takes time linear in the text's length, whatever it holds.
// Nothing here can fail: any input gives pieces.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lenvoro::engine {

constexpr int kMinimumRate = -10;
constexpr int kMaximumRate = 10;
constexpr uint32_t kMaximumSilenceMs = 60000;

struct SpeechPiece {
    std::u32string text;                 // characters to speak; empty for a silence
    std::vector<uint32_t> sourceOffset;  // per character: UTF-16 offset in the original
    std::vector<uint32_t> sourceLength;  // per character: UTF-16 units it stands for
    uint32_t silenceMs = 0;

    // The attribute queries of the voice tag in effect; both empty: the voice
    // object's own voice. Each query is shared by every piece and nested tag
    // it applies to, so a long one costs its length once, not once per piece.
    std::shared_ptr<const std::u16string> requiredQuery;
    std::shared_ptr<const std::u16string> optionalQuery;
    std::optional<int> absoluteRate;  // replaces the voice's rate when set
    int relativeRate = 0;             // added to the rate
    int volumePercent = 100;          // of the voice's volume

    bool isSilence() const { return text.empty(); }
    const std::u16string& voiceRequired() const {
        return requiredQuery ? *requiredQuery : kNoQuery;
    }
    const std::u16string& voiceOptional() const {
        return optionalQuery ? *optionalQuery : kNoQuery;
    }

private:
    static inline const std::u16string kNoQuery;
};

// Reads text. With parseTags false the whole text is plain (still cleaned of
// NULs and broken surrogates) and forms a single piece.
std::vector<SpeechPiece> readMarkup(std::u16string_view text, bool parseTags = true);

}  // namespace lenvoro::engine
