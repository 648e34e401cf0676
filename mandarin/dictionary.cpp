#include "dictionary.h"

#include <algorithm>
#include <cstring>

namespace mandarin {

namespace {

// Reads little-endian values from the data without trusting its sizes.
class Reader {
public:
    explicit Reader(std::span<const unsigned char> data) : data_(data) {}

    bool ok() const { return ok_; }
    size_t position() const { return at_; }

    const unsigned char* take(size_t bytes) {
        if (!ok_ || bytes > data_.size() - at_) {
            ok_ = false;
            return nullptr;
        }
        const unsigned char* p = data_.data() + at_;
        at_ += bytes;
        return p;
    }
    uint32_t u32() {
        const unsigned char* p = take(4);
        return p ? uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                       uint32_t(p[3]) << 24
                 : 0;
    }
    uint16_t u16() {
        const unsigned char* p = take(2);
        return p ? uint16_t(p[0] | p[1] << 8) : 0;
    }
    uint8_t u8() {
        const unsigned char* p = take(1);
        return p ? *p : 0;
    }

private:
    std::span<const unsigned char> data_;
    size_t at_ = 0;
    bool ok_ = true;
};

uint16_t loadU16(const unsigned char* p, size_t i) {
    return uint16_t(p[2 * i] | p[2 * i + 1] << 8);
}
uint32_t loadU32(const unsigned char* p, size_t i) {
    p += 4 * i;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

template <typename Units>
uint32_t hashWord(const Units& units, size_t length) {
    uint32_t h = 2166136261u;  // FNV-1a over the code units
    for (size_t i = 0; i < length; ++i) {
        h ^= static_cast<uint32_t>(units[i]);
        h *= 16777619u;
    }
    return h;
}

// Words are kept only up to this length; longer CC-CEDICT entries are rare
// set phrases.
constexpr size_t kMaximumWordLength = 12;

}  // namespace

Dictionary::Dictionary(std::span<const unsigned char> data) {
    Reader in(data);
    const unsigned char* magic = in.take(4);
    if (!magic || std::memcmp(magic, "MDR2", 4) != 0)
        return;

    const uint32_t syllableCount = in.u32();
    std::vector<std::string_view> syllables;
    for (uint32_t i = 0; i < syllableCount && in.ok(); ++i) {
        const uint8_t length = in.u8();
        const unsigned char* text = in.take(length);
        if (text)
            syllables.emplace_back(reinterpret_cast<const char*>(text), length);
    }
    const uint32_t characterCount = in.u32();
    std::vector<CharacterEntry> characters;
    if (in.ok() && characterCount <= data.size() / 7)
        characters.reserve(characterCount);
    for (uint32_t i = 0; i < characterCount && in.ok(); ++i) {
        const char32_t c = in.u32();
        const uint16_t s = in.u16();
        const uint8_t weight = in.u8();
        if (in.ok() && s < syllables.size())
            characters.push_back({c, s, weight});
    }
    const uint32_t wordCount = in.u32();
    const uint32_t poolLength = in.u32();
    if (!in.ok() || poolLength > data.size() / 4 || wordCount > poolLength)
        return;
    const unsigned char* pool = in.take(size_t(poolLength) * 2);
    const unsigned char* poolSyllables = in.take(size_t(poolLength) * 2);
    const unsigned char* offsets = in.take((size_t(wordCount) + 1) * 4);
    const unsigned char* weights = in.take(wordCount);
    if (!in.ok())
        return;

    // Every offset must rise within the pool, and every syllable exist.
    if (loadU32(offsets, 0) != 0 || loadU32(offsets, wordCount) != poolLength)
        return;
    for (uint32_t w = 0; w < wordCount; ++w) {
        const uint32_t begin = loadU32(offsets, w), end = loadU32(offsets, w + 1);
        if (end <= begin || end - begin > kMaximumWordLength || end > poolLength)
            return;
    }
    std::vector<uint16_t> wordSyllables(poolLength);
    for (uint32_t i = 0; i < poolLength; ++i) {
        wordSyllables[i] = loadU16(poolSyllables, i);
        if (wordSyllables[i] >= syllables.size())
            return;
    }

    syllables_ = std::move(syllables);
    characters_ = std::move(characters);
    std::sort(
        characters_.begin(), characters_.end(),
        [](const CharacterEntry& a, const CharacterEntry& b) { return a.character < b.character; });
    wordCount_ = wordCount;
    pool_ = pool;
    offsets_ = offsets;
    weights_ = weights;
    wordSyllables_ = std::move(wordSyllables);

    size_t slots = 1;
    while (slots < size_t(wordCount) * 2)
        slots <<= 1;
    index_.assign(slots, 0);
    longest_.assign(0x10000, 0);
    for (uint32_t w = 0; w < wordCount; ++w) {
        const uint32_t begin = loadU32(offsets_, w), end = loadU32(offsets_, w + 1);
        char16_t units[kMaximumWordLength] = {};
        for (uint32_t i = begin; i < end; ++i)
            units[i - begin] = loadU16(pool_, i);
        const size_t length = end - begin;
        uint8_t& longest = longest_[units[0]];
        longest = std::max<uint8_t>(longest, static_cast<uint8_t>(length));
        for (size_t slot = hashWord(units, length) & (slots - 1);;
             slot = (slot + 1) & (slots - 1)) {
            if (index_[slot] == 0) {
                index_[slot] = w + 1;
                break;
            }
        }
    }
}

std::optional<SyllableId> Dictionary::characterReading(char32_t c) const {
    const auto it =
        std::lower_bound(characters_.begin(), characters_.end(), c,
                         [](const CharacterEntry& e, char32_t v) { return e.character < v; });
    if (it == characters_.end() || it->character != c)
        return std::nullopt;
    return it->syllable;
}

Weight Dictionary::characterWeight(char32_t c) const {
    const auto it =
        std::lower_bound(characters_.begin(), characters_.end(), c,
                         [](const CharacterEntry& e, char32_t v) { return e.character < v; });
    return it == characters_.end() || it->character != c ? 0 : it->weight;
}

WordMatch Dictionary::findWord(std::u32string_view text) const {
    if (index_.empty() || text.empty() || text.size() > kMaximumWordLength)
        return {};
    for (const char32_t c : text)
        if (c > 0xFFFF)
            return {};
    const size_t mask = index_.size() - 1;
    for (size_t slot = hashWord(text, text.size()) & mask;; slot = (slot + 1) & mask) {
        const uint32_t entry = index_[slot];
        if (entry == 0)
            return {};
        const uint32_t begin = loadU32(offsets_, entry - 1), end = loadU32(offsets_, entry);
        if (end - begin != text.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < text.size() && same; ++i)
            same = loadU16(pool_, begin + i) == text[i];
        if (same)
            return {std::span<const uint16_t>(wordSyllables_.data() + begin, end - begin),
                    weights_[entry - 1]};
    }
}

}  // namespace mandarin
