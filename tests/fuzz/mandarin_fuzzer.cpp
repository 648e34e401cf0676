// The Mandarin front end on any text: the readings in context, the segments
// a Mandarin voice hands to espeak-ng, and the filter that keeps characters
// espeak-ng misreads away from it.
//
// The bytes are a loose UTF-8 text (fuzz_support.h): lone surrogates and
// values past U+10FFFF reach the readers too.
#include <string>

#include "engine/mandarin_text.h"
#include "engine/speakable_text.h"
#include "fuzz_support.h"
#include "mandarin/readings.h"

namespace {

// Letters (ü as UTF-8) and one tone digit from 1 to 5.
bool isSyllable(std::string_view syllable) {
    if (syllable.size() < 2 || syllable.back() < '1' || syllable.back() > '5')
        return false;
    syllable.remove_suffix(1);
    while (!syllable.empty()) {
        if (syllable.starts_with("\xC3\xBC")) {
            syllable.remove_prefix(2);
        } else if (syllable.front() >= 'a' && syllable.front() <= 'z') {
            syllable.remove_prefix(1);
        } else {
            return false;
        }
    }
    return true;
}

// Tokens cover the text in order; a word has a syllable per character, a
// number at least one, and every other token none; the syllables follow the
// tokens; the per-character readings agree with the words.
void checkReading(std::u32string_view text) {
    const auto& readings = mandarin::Readings::instance();
    const mandarin::TextReading reading = readings.read(text);
    const std::vector<std::string_view> perCharacter = readings.characterReadings(text);
    FUZZ_CHECK(perCharacter.size() == text.size());
    uint32_t position = 0;
    uint32_t syllable = 0;
    for (const mandarin::Token& token : reading.tokens) {
        FUZZ_CHECK(token.begin == position && token.end > token.begin);
        FUZZ_CHECK(token.firstSyllable == syllable);
        switch (token.kind) {
            case mandarin::TokenKind::Word:
                FUZZ_CHECK(token.syllableCount == token.end - token.begin);
                break;
            case mandarin::TokenKind::Number:
                FUZZ_CHECK(token.syllableCount > 0);
                break;
            default:
                FUZZ_CHECK(token.syllableCount == 0);
        }
        for (uint32_t i = token.begin; i < token.end; ++i) {
            if (token.kind == mandarin::TokenKind::Word)
                FUZZ_CHECK(perCharacter[i] ==
                           reading.syllables[token.firstSyllable + i - token.begin]);
            else
                FUZZ_CHECK(perCharacter[i].empty());
        }
        position = token.end;
        syllable += token.syllableCount;
    }
    FUZZ_CHECK(position == text.size());
    FUZZ_CHECK(syllable == reading.syllables.size());
    for (std::string_view s : reading.syllables) {
        FUZZ_CHECK(isSyllable(s));
        FUZZ_CHECK(!mandarin::markTone(s).empty());
    }
    for (char32_t c : text) {
        const std::string_view own = readings.tableReading(c);
        FUZZ_CHECK(own.empty() || isSyllable(own));
        FUZZ_CHECK(mandarin::asciiForm(mandarin::asciiForm(c)) == mandarin::asciiForm(c));
    }
}

// The filter keeps the length and each readable character, and leaves
// nothing espeak-ng cannot read.
void checkSpeakable(std::u32string_view text) {
    std::wstring filtered(text.begin(), text.end());
    lenvoro::engine::blankUnreadable(filtered);
    FUZZ_CHECK(filtered.size() == text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<char32_t>(filtered[i]);
        FUZZ_CHECK(lenvoro::engine::espeakCanRead(c));
        FUZZ_CHECK(c == text[i] || (c == U' ' && !lenvoro::engine::espeakCanRead(text[i])));
    }
}

// Every character a segment hands over stands for a character of the text
// inside the word it ends with, in reading order; pinyin holds no ideograph.
void checkSegments(std::u32string_view text) {
    uint32_t last = 0;
    for (const auto& segment : lenvoro::engine::mandarinSegments(text)) {
        FUZZ_CHECK(segment.source.size() == segment.text.size());
        FUZZ_CHECK(segment.sourceEnd.size() == segment.text.size());
        for (size_t i = 0; i < segment.text.size(); ++i) {
            FUZZ_CHECK(segment.source[i] >= last);
            FUZZ_CHECK(segment.source[i] < segment.sourceEnd[i] &&
                       segment.sourceEnd[i] <= text.size());
            last = segment.source[i];
            if (segment.language == lenvoro::engine::SegmentLanguage::Pinyin)
                FUZZ_CHECK(!mandarin::isCjkIdeograph(segment.text[i]));
        }
        checkSpeakable(segment.text);
    }
}

// UTF-8 written from code points reads back as the same code points; any
// bytes read as UTF-8 give code points only.
void checkUtf8(std::string_view bytes, std::u32string_view text) {
    for (char32_t c : mandarin::utf8ToUtf32(bytes))
        FUZZ_CHECK(c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF));
    std::u32string valid;
    for (char32_t c : text) {
        if (c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF))
            valid.push_back(c);
    }
    FUZZ_CHECK(mandarin::utf8ToUtf32(mandarin::utf32ToUtf8(valid)) == valid);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes = fuzz::bytesOf(data, size);
    const std::u32string text = fuzz::looseCodes(bytes);
    checkReading(text);
    checkSegments(text);
    checkSpeakable(text);
    checkUtf8(bytes, text);
    return 0;
}
