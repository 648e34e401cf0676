// Mandarin readings of a text, in context.
//
// The front end that both the speech engine and the game read Chinese with:
// it cuts a text into words with a word dictionary, gives each Chinese
// character the reading it has in its word (银行 yín háng, 行人 xíng rén),
// keeps the neutral tones of words (爸爸 bà ba), applies the tone changes of
// 一 and 不 (一个 yí gè, 不要 bú yào), and reads numbers as a Chinese reader
// does (2024年 èr líng èr sì nián, 3.5 sān diǎn wǔ, 50% bǎi fēn zhī wǔ shí).
// A character in no word takes the reading of the per-character table.
//
// Readings are tone-numbered syllables: letters (ü written as "ü") and one
// tone digit, 1 to 4, or 5 for the neutral tone: "hao3", "ma5", "lü4".
// Everything here is plain C++ and safe for any input: unassigned code
// points, lone surrogates and characters of other scripts come out as
// tokens without a reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mandarin {

enum class TokenKind : uint8_t {
    Word,         // Chinese characters read together: one syllable per character
    Number,       // digits, with a decimal point or a percent sign, read in Chinese
    Latin,        // Latin letters, with digits joined to them: a word for English
    Punctuation,  // punctuation and symbols
    Space,        // white space and control characters
    Unread,       // anything else: ideographs without a reading, emoji, other scripts
};

struct Token {
    TokenKind kind = TokenKind::Unread;
    uint32_t begin = 0;  // code-point positions in the text given to read()
    uint32_t end = 0;
    // The token's syllables in TextReading::syllables. A Word has exactly one
    // per character; a Number as many as it is read with; other kinds none.
    uint32_t firstSyllable = 0;
    uint32_t syllableCount = 0;
};

struct TextReading {
    std::vector<Token> tokens;  // cover the text in order, none empty
    // Views into static storage that lives as long as the program.
    std::vector<std::string_view> syllables;
};

class Readings {
public:
    // The dictionary built into the program, set up at the first call (safe
    // from any thread).
    static const Readings& instance();

    // Reads a text of UTF-32 code points. Full-width letters and digits
    // count as their ASCII forms.
    TextReading read(std::u32string_view text) const;

    // One syllable per code point of text: the reading of each Chinese
    // character in context, "" for every other character (digits included).
    std::vector<std::string_view> characterReadings(std::u32string_view text) const;

    // The per-character table's own reading of c, without context: "" when
    // the table has none.
    std::string_view tableReading(char32_t c) const;

    // How many words the dictionary holds; for diagnostics.
    size_t wordCount() const;

    ~Readings();
    Readings(const Readings&) = delete;
    Readings& operator=(const Readings&) = delete;

    struct Data;

private:
    Readings();
    std::unique_ptr<Data> data_;
};

// A tone-numbered syllable as it is written with a tone mark, in UTF-8:
// "hao3" → "hǎo", "liu4" → "liù", "lü4" → "lǜ", "ma5" → "ma". A syllable
// without a tone digit comes back unchanged.
std::string markTone(std::string_view syllable);

// Full-width letters, digits and signs as their ASCII forms (Ａ → A, ２ → 2),
// the ideographic space as a space; every other character as it is.
char32_t asciiForm(char32_t c);

// True for a code point in one of Unicode's CJK ideograph blocks.
bool isCjkIdeograph(char32_t c);

// UTF-8 (invalid bytes become U+FFFD) to code points and back.
std::u32string utf8ToUtf32(std::string_view text);
std::string utf32ToUtf8(std::u32string_view text);

}  // namespace mandarin
