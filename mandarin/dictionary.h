// The readings dictionary: the per-character table and the word list, read
// from the data built into the library.
//
// Loading parses the data in place and builds one hash index over the
// words; nothing is copied but the index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace mandarin {

using SyllableId = uint16_t;

// How likely a word or character is: 16 ln(1 + frequency) in a large corpus.
using Weight = uint8_t;

struct WordMatch {
    std::span<const uint16_t> syllables;  // empty: no such word
    Weight weight = 0;
};

class Dictionary {
public:
    // Parses data, which must outlive the dictionary. An empty dictionary
    // (no characters, no words) when the data is damaged.
    explicit Dictionary(std::span<const unsigned char> data);

    bool empty() const { return characters_.empty() && wordCount_ == 0; }
    size_t wordCount() const { return wordCount_; }

    std::string_view syllable(SyllableId id) const { return syllables_[id]; }

    // The table's reading of c.
    std::optional<SyllableId> characterReading(char32_t c) const;
    // How common c is on its own; 0 when the table does not hold it.
    Weight characterWeight(char32_t c) const;

    // The longest word length that may start with c; 0 when none does.
    size_t longestWordFrom(char32_t c) const { return c < longest_.size() ? longest_[c] : 0; }

    // The syllables and weight of the word text; empty syllables when it is
    // no word.
    WordMatch findWord(std::u32string_view text) const;

private:
    struct CharacterEntry {
        char32_t character;
        SyllableId syllable;
        Weight weight;
    };

    std::vector<std::string_view> syllables_;
    std::vector<CharacterEntry> characters_;
    size_t wordCount_ = 0;
    const unsigned char* pool_ = nullptr;     // u16 code units
    const unsigned char* offsets_ = nullptr;  // u32 per word + 1
    std::vector<uint32_t> index_;             // word number + 1, 0 = empty slot
    std::vector<uint8_t> longest_;            // by first character (BMP)
    std::vector<uint16_t> wordSyllables_;     // copied out: the data is not aligned
    const unsigned char* weights_ = nullptr;  // u8 per word
};

}  // namespace mandarin
