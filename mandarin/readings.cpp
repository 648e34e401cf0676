#include "mandarin/readings.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <span>

#include "dictionary.h"
#include "numbers.h"
#include "tone_changes.h"

extern "C" const unsigned char mandarin_readings_data[];
extern "C" const unsigned char mandarin_readings_data_end[];

namespace mandarin {

namespace {

enum class CharacterClass { Ideograph, Digit, Letter, Space, Punctuation, Other };

bool isLatinLetter(char32_t c) {
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') ||
           (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7);
}

CharacterClass classify(char32_t c) {
    if (isCjkIdeograph(c) || c == U'〇')
        return CharacterClass::Ideograph;
    if (c >= U'0' && c <= U'9')
        return CharacterClass::Digit;
    if (isLatinLetter(c))
        return CharacterClass::Letter;
    if (c <= 0x20 || (c >= 0x7F && c <= 0xA0) || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 ||
        c == 0x2029 || c == 0xFEFF)
        return CharacterClass::Space;
    if (c < 0x80 || (c >= 0xA1 && c <= 0xBF) || (c >= 0x2010 && c <= 0x205E) ||
        (c >= 0x3001 && c <= 0x303F) || (c >= 0xFE10 && c <= 0xFE6F) ||
        (c >= 0xFF5F && c <= 0xFF65) || c == 0xD7 || c == 0xF7)
        return CharacterClass::Punctuation;
    return CharacterClass::Other;
}

// Measure words after which the number 2 is read liǎng: 两个, 两只.
bool takesLiang(char32_t c) {
    return std::u32string_view(
               U"个只本张条把块位件次天岁头匹辆双支枝朵棵颗口层间种首杯碗粒片页封台部架座所家根斤点"
               U"年周遍句排群套副对堆节门颗样倍份声步场顿下眼分秒元角")
               .find(c) != std::u32string_view::npos;
}

// What a word costs in a cutting: more than any weight, so that every word
// costs something and fewer words win when all else is equal.
constexpr uint64_t kRareWordCost = 300;

struct Reader {
    const Dictionary& dictionary;
    std::u32string_view text;
    TextReading& out;

    char32_t at(size_t i) const { return i < text.size() ? asciiForm(text[i]) : 0; }
    CharacterClass classAt(size_t i) const {
        return i < text.size() ? classify(at(i)) : CharacterClass::Other;
    }

    void add(TokenKind kind, size_t begin, size_t end,
             std::span<const std::string_view> syllables = {}) {
        Token token;
        token.kind = kind;
        token.begin = static_cast<uint32_t>(begin);
        token.end = static_cast<uint32_t>(end);
        token.firstSyllable = static_cast<uint32_t>(out.syllables.size());
        token.syllableCount = static_cast<uint32_t>(syllables.size());
        out.syllables.insert(out.syllables.end(), syllables.begin(), syllables.end());
        out.tokens.push_back(token);
    }

    size_t runOf(size_t i, CharacterClass c) const {
        while (i < text.size() && classAt(i) == c)
            ++i;
        return i;
    }

    void readAll() {
        for (size_t i = 0; i < text.size();) {
            switch (classAt(i)) {
                case CharacterClass::Ideograph:
                    i = readChinese(i);
                    break;
                case CharacterClass::Digit:
                    i = readDigits(i);
                    break;
                case CharacterClass::Letter:
                    i = readLatin(i);
                    break;
                case CharacterClass::Space: {
                    const size_t end = runOf(i, CharacterClass::Space);
                    add(TokenKind::Space, i, end);
                    i = end;
                    break;
                }
                case CharacterClass::Punctuation: {
                    const size_t end = runOf(i, CharacterClass::Punctuation);
                    add(TokenKind::Punctuation, i, end);
                    i = end;
                    break;
                }
                case CharacterClass::Other:
                    add(TokenKind::Unread, i, i + 1);
                    ++i;
                    break;
            }
        }
    }

    // Letters, with digits and inner apostrophes or hyphens joined to them:
    // "iPad2", "don't", "e-mail", "MP3".
    size_t readLatin(size_t begin) {
        size_t i = begin;
        for (;;) {
            const CharacterClass c = classAt(i);
            if (c == CharacterClass::Letter || c == CharacterClass::Digit) {
                ++i;
                continue;
            }
            const char32_t joiner = at(i);
            if ((joiner == U'\'' || joiner == U'’' || joiner == U'-') && i > begin &&
                classAt(i + 1) == CharacterClass::Letter) {
                ++i;
                continue;
            }
            break;
        }
        add(TokenKind::Latin, begin, i);
        return i;
    }

    size_t readDigits(size_t begin) {
        size_t i = runOf(begin, CharacterClass::Digit);
        // Digit groups: 1,000,000.
        if (i - begin <= 3)
            while (at(i) == U',' && runOf(i + 1, CharacterClass::Digit) == i + 4)
                i += 4;
        size_t end = i;
        if (at(end) == U'.' && classAt(end + 1) == CharacterClass::Digit)
            end = runOf(end + 1, CharacterClass::Digit);
        // Letters right before or after make it part of a Latin word: "3D", "A4".
        if (classAt(end) == CharacterClass::Letter ||
            (begin > 0 && classAt(begin - 1) == CharacterClass::Letter))
            return readLatin(begin);
        const bool percent = at(end) == U'%';
        if (percent)
            ++end;

        std::u32string number;
        number.reserve(end - begin);
        for (size_t k = begin; k < end; ++k)
            if (at(k) != U',')
                number.push_back(at(k));
        const bool integer = number.find_first_not_of(U"0123456789") == std::u32string::npos;
        // Years (2024年), codes with a leading zero and long digit strings
        // such as telephone numbers are read digit by digit.
        const bool year = integer && number.size() == 4 && at(end) == U'年';
        const bool code =
            integer && ((number.size() > 1 && number[0] == U'0') || number.size() > 8);
        NumberStyle style = year || code ? NumberStyle::DigitByDigit : NumberStyle::Quantity;
        if (integer && number.size() >= 3 && saysTelephone(begin))
            style = NumberStyle::Telephone;
        std::vector<std::string_view> syllables;
        const bool ordinal = begin > 0 && at(begin - 1) == U'第';
        if (integer && number == U"2" && takesLiang(at(end)) && !ordinal) {
            syllables.push_back("liang3");
        } else if (integer && number == U"1" && takesLiang(at(end))) {
            // 1个 is 一个, with the tone change of 一.
            const auto measure = dictionary.characterReading(at(end));
            const bool fourth = measure && dictionary.syllable(*measure).back() == '4';
            syllables.push_back(fourth ? "yi2" : "yi4");
        } else {
            readNumber(number, style, syllables);
        }
        add(TokenKind::Number, begin, end, syllables);
        return end;
    }

    // A telephone number follows 电话, 号码 or 手机 closely (电话是110), or
    // is dialled (打120).
    bool saysTelephone(size_t begin) const {
        if (begin > 0 && (at(begin - 1) == U'打' || at(begin - 1) == U'拨'))
            return true;
        const size_t from = begin > 8 ? begin - 8 : 0;
        const std::u32string_view before = text.substr(from, begin - from);
        for (const std::u32string_view word : {U"电话", U"号码", U"手机"})
            if (before.find(word) != std::u32string_view::npos)
                return true;
        return false;
    }

    // A run of ideographs: the likeliest cutting into words of the
    // dictionary (the one whose words are commonest, counting each word's
    // cost as it is rare); of two equally likely, the one whose later words
    // are longer, as reading from the end finds.
    size_t readChinese(size_t begin) {
        const size_t end = runOf(begin, CharacterClass::Ideograph);
        const size_t length = end - begin;
        std::u32string run(length, 0);
        for (size_t k = 0; k < length; ++k)
            run[k] = at(begin + k);

        // cost[i]: the cheapest cutting of the first i characters; last[i]:
        // the length of its last word.
        std::vector<uint64_t> cost(length + 1, UINT64_MAX);
        std::vector<uint8_t> last(length + 1, 1);
        std::vector<std::span<const uint16_t>> found(length + 1);
        cost[0] = 0;
        for (size_t k = 0; k < length; ++k) {
            const size_t longest =
                std::max<size_t>(std::min(dictionary.longestWordFrom(run[k]), length - k), 1);
            for (size_t n = 1; n <= longest; ++n) {
                WordMatch word = dictionary.findWord(std::u32string_view(run).substr(k, n));
                if (word.syllables.empty()) {
                    if (n > 1)
                        continue;
                    word.weight = dictionary.characterWeight(run[k]);
                }
                const uint64_t candidate = cost[k] + (kRareWordCost - word.weight);
                const size_t to = k + n;
                if (candidate < cost[to] || (candidate == cost[to] && n > last[to])) {
                    cost[to] = candidate;
                    last[to] = static_cast<uint8_t>(n);
                    found[to] = word.syllables;
                }
            }
        }
        // Back from the end: take[k] is the length of the word starting at k.
        std::vector<uint8_t> take(length, 1);
        std::vector<std::span<const uint16_t>> wordAt(length);
        for (size_t to = length; to > 0;) {
            const size_t n = last[to];
            take[to - n] = static_cast<uint8_t>(n);
            wordAt[to - n] = found[to];
            to -= n;
        }

        std::vector<RunCharacter> characters(length);
        for (size_t k = 0; k < length;) {
            const size_t n = take[k];
            for (size_t j = 0; j < n; ++j) {
                RunCharacter& c = characters[k + j];
                c.character = run[k + j];
                c.wordLength = static_cast<unsigned>(n);
                c.indexInWord = static_cast<unsigned>(j);
                if (!wordAt[k].empty()) {
                    c.syllable = dictionary.syllable(wordAt[k][j]);
                } else if (const auto own = dictionary.characterReading(run[k + j])) {
                    c.syllable = dictionary.syllable(*own);
                }
            }
            k += n;
        }
        const char32_t before =
            begin > 0 && classAt(begin - 1) == CharacterClass::Digit ? at(begin - 1) : 0;
        applyToneChanges(characters, dictionary, before);

        for (size_t k = 0; k < length;) {
            const size_t n = take[k];
            if (characters[k].syllable.empty()) {
                add(TokenKind::Unread, begin + k, begin + k + 1);
                k += 1;
                continue;
            }
            std::string_view syllables[16];
            for (size_t j = 0; j < n; ++j)
                syllables[j] = characters[k + j].syllable;
            add(TokenKind::Word, begin + k, begin + k + n,
                std::span<const std::string_view>(syllables, n));
            k += n;
        }
        return end;
    }
};

std::span<const unsigned char> builtInData() {
    return {mandarin_readings_data,
            static_cast<size_t>(mandarin_readings_data_end - mandarin_readings_data)};
}

}  // namespace

struct Readings::Data {
    Dictionary dictionary{builtInData()};
};

Readings::Readings() : data_(std::make_unique<Data>()) {}
Readings::~Readings() = default;

const Readings& Readings::instance() {
    static const Readings readings;
    return readings;
}

TextReading Readings::read(std::u32string_view text) const {
    TextReading result;
    result.tokens.reserve(text.size() / 2 + 1);
    result.syllables.reserve(text.size());
    Reader{data_->dictionary, text, result}.readAll();
    return result;
}

std::vector<std::string_view> Readings::characterReadings(std::u32string_view text) const {
    std::vector<std::string_view> readings(text.size());
    const TextReading reading = read(text);
    for (const Token& token : reading.tokens) {
        if (token.kind != TokenKind::Word)
            continue;
        for (uint32_t k = 0; k < token.syllableCount; ++k)
            readings[token.begin + k] = reading.syllables[token.firstSyllable + k];
    }
    return readings;
}

char32_t asciiForm(char32_t c) {
    if (c >= 0xFF01 && c <= 0xFF5E)
        return c - 0xFEE0;
    if (c == 0x3000)
        return U' ';
    return c;
}

std::string_view Readings::tableReading(char32_t c) const {
    const auto id = data_->dictionary.characterReading(c);
    return id ? data_->dictionary.syllable(*id) : std::string_view();
}

size_t Readings::wordCount() const {
    return data_->dictionary.wordCount();
}

}  // namespace mandarin
