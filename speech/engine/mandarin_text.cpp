#include "mandarin_text.h"

#include <algorithm>
#include <utility>

#include "mandarin/readings.h"
#include "text.h"

namespace lenvoro::engine {

namespace {

// espeak-ng cuts words longer than about 160 bytes; a long number or word is
// handed over in pieces of this many syllables instead.
constexpr uint32_t kMaximumSyllablesPerWord = 12;

// Punctuation that makes a pause, with the ASCII mark that makes espeak-ng
// pause alike. Quotes, brackets and the like make none: they become spaces.
constexpr std::pair<char32_t, char32_t> kPauseMarks[] = {
    {U'，', U','}, {U'、', U','}, {U'﹐', U','}, {U'﹑', U','}, {U'､', U','}, {U',', U','},
    {U'—', U','},  {U'―', U','},  {U'–', U','},  {U'。', U'.'}, {U'｡', U'.'}, {U'．', U'.'},
    {U'.', U'.'},  {U'…', U'.'},  {U'⋯', U'.'},  {U'！', U'!'}, {U'!', U'!'}, {U'？', U'?'},
    {U'?', U'?'},  {U'：', U':'}, {U':', U':'},  {U'；', U';'}, {U';', U';'},
};

// The ASCII mark espeak-ng pauses at as a Chinese reader pauses at c; 0 for
// a character that makes no pause.
char32_t pauseMark(char32_t c) {
    for (const auto& [mark, ascii] : kPauseMarks) {
        if (mark == c)
            return ascii;
    }
    return 0;
}

bool isClauseMark(char32_t c) {
    return c == U',' || c == U'.' || c == U'!' || c == U'?' || c == U':' || c == U';';
}

bool isSpace(char32_t c) {
    return c == U' ' || c == U'\n';
}

class SegmentWriter {
public:
    explicit SegmentWriter(std::u32string_view text) : text_(text) {}

    std::vector<TextSegment> take() {
        for (TextSegment& segment : segments_) {
            while (!segment.text.empty() && isSpace(segment.text.back())) {
                segment.text.pop_back();
                segment.source.pop_back();
                segment.sourceEnd.pop_back();
            }
        }
        return std::move(segments_);
    }

    // A token read in Chinese: its syllables as one espeak-ng word.
    // The syllables of a word stand for its characters one by one; those of
    // a number are spread over its digits.
    void pinyin(const mandarin::Token& token, const mandarin::TextReading& reading) {
        if (token.syllableCount == 0)
            return;
        open(SegmentLanguage::Pinyin);
        separate(token.begin);
        const uint32_t characters = token.end - token.begin;
        for (uint32_t i = 0; i < token.syllableCount; ++i) {
            const uint32_t at = token.kind == mandarin::TokenKind::Word
                                    ? token.begin + std::min(i, characters - 1)
                                    : token.begin + i * characters / token.syllableCount;
            // Syllables of a word are kept apart by an apostrophe, as pinyin
            // writes 西安 xi'an: joined bare, espeak-ng's spelling rules
            // look across the tone digit (re4nao5 would be read "ren ao").
            if (i > 0)
                put(i % kMaximumSyllablesPerWord == 0 ? U' ' : U'\'', at, token.end);
            syllable(reading.syllables[token.firstSyllable + i], at, token.end);
        }
    }

    void latin(const mandarin::Token& token) {
        open(SegmentLanguage::English);
        for (uint32_t i = token.begin; i < token.end; ++i)
            put(mandarin::asciiForm(text_[i]), i, token.end);
    }

    // Punctuation belongs to the words before it: it ends their clause.
    void punctuation(const mandarin::Token& token) {
        if (segments_.empty())
            return;
        for (uint32_t i = token.begin; i < token.end; ++i) {
            const char32_t c = mandarin::asciiForm(text_[i]);
            const char32_t mark = pauseMark(c);
            if (mark != 0 && !isClauseMark(lastMark())) {
                dropTrailingSpaces();
                put(mark, i);
                // espeak-ng takes a full stop before a lower-case word for
                // an abbreviation and reads on without a pause, as pinyin
                // always is: a line break makes it end the sentence. A
                // Chinese mark has no space after it, and an English word
                // must not run into the mark espeak-ng gets instead.
                if (mark == U'.' && current().language == SegmentLanguage::Pinyin)
                    put(U'\n', i);
                else if (text_[i] >= 0x80)
                    put(U' ', i);
            } else if (mark == 0 && current().language == SegmentLanguage::English && c < 0x80) {
                put(c, i);  // the English voice knows what to do with & + # and '
            } else {
                space(i);
            }
        }
    }

    void space(uint32_t index) {
        if (segments_.empty() || current().text.empty())
            return;
        const bool lineBreak = text_[index] == U'\n';
        if (isSpace(current().text.back())) {
            if (lineBreak)
                current().text.back() = U'\n';
            return;
        }
        put(lineBreak ? U'\n' : U' ', index);
    }

private:
    TextSegment& current() { return segments_.back(); }

    void open(SegmentLanguage language) {
        if (segments_.empty() || current().language != language) {
            segments_.push_back({language, {}, {}, {}});
        }
    }

    // Words of one segment are apart; a word after a space already is.
    void separate(uint32_t index) {
        if (!current().text.empty() && !isSpace(current().text.back()))
            put(U' ', index);
    }

    // A syllable as espeak-ng's pinyin voice spells it: lower-case letters,
    // ü as v, and the tone digit. Anything else in it is dropped.
    void syllable(std::string_view spelled, uint32_t at, uint32_t wordEnd) {
        const std::u32string letters = mandarin::utf8ToUtf32(spelled);
        for (char32_t c : letters) {
            c = asciiLower(c);
            if (c == U'ü' || c == U'Ü')
                c = U'v';
            if ((c >= U'a' && c <= U'z') || (c >= U'1' && c <= U'5'))
                put(c, at, wordEnd);
        }
    }

    // A mark follows its word directly: what was dropped before it (a quote,
    // a bracket) leaves no space.
    void dropTrailingSpaces() {
        while (!current().text.empty() && current().text.back() == U' ') {
            current().text.pop_back();
            current().source.pop_back();
            current().sourceEnd.pop_back();
        }
    }

    char32_t lastMark() {
        const std::u32string& text = current().text;
        for (auto it = text.rbegin(); it != text.rend(); ++it) {
            if (!isSpace(*it))
                return *it;
        }
        return 0;
    }

    void put(char32_t c, uint32_t index, uint32_t wordEnd = 0) {
        current().text.push_back(c);
        current().source.push_back(index);
        current().sourceEnd.push_back(std::max(wordEnd, index + 1));
    }

    std::u32string_view text_;
    std::vector<TextSegment> segments_;
};

}  // namespace

bool isMandarinVoice(std::string_view espeakName) {
    const std::string name = asciiLower(espeakName);
    return name == "cmn" || name == "cmn-latn-pinyin" || name == "zh" || name == "zh-cmn";
}

std::vector<TextSegment> mandarinSegments(std::u32string_view text) {
    const mandarin::TextReading reading = mandarin::Readings::instance().read(text);
    SegmentWriter writer(text);
    for (const mandarin::Token& token : reading.tokens) {
        if (token.begin >= token.end || token.end > text.size())
            continue;
        switch (token.kind) {
            case mandarin::TokenKind::Word:
            case mandarin::TokenKind::Number:
                if (token.firstSyllable + token.syllableCount <= reading.syllables.size()) {
                    writer.pinyin(token, reading);
                }
                break;
            case mandarin::TokenKind::Latin:
                writer.latin(token);
                break;
            case mandarin::TokenKind::Punctuation:
                writer.punctuation(token);
                break;
            case mandarin::TokenKind::Space:
                for (uint32_t i = token.begin; i < token.end; ++i)
                    writer.space(i);
                break;
            case mandarin::TokenKind::Unread:
                // Nothing is read for a character without a reading, but it
                // still keeps the words on either side apart.
                writer.space(token.begin);
                break;
        }
    }
    return writer.take();
}

}  // namespace lenvoro::engine
