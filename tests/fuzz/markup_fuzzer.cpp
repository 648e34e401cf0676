// The engine's markup reader and the splitter behind it, on any text; and the
// library's mixed-language markup, which the reader then reads.
//
// The bytes are a loose UTF-8 text (fuzz_support.h), so lone surrogates and
// every tag the reader knows are within reach. The first byte also picks the
// voice pair of the mixed markup.
#include <algorithm>

#include "engine/markup.h"
#include "engine/text_splitter.h"
#include "fuzz_support.h"
#include "markup.h"

namespace {

using lenvoro::engine::SpeechPiece;

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// Every piece is a silence or a run of characters with a place in the text,
// in order and without overlap; settings stay in their ranges.
void checkPieces(const std::vector<SpeechPiece>& pieces, std::u16string_view text) {
    size_t nextUnit = 0;
    for (const SpeechPiece& piece : pieces) {
        FUZZ_CHECK(piece.sourceOffset.size() == piece.text.size());
        FUZZ_CHECK(piece.sourceLength.size() == piece.text.size());
        if (piece.isSilence()) {
            FUZZ_CHECK(piece.silenceMs > 0 &&
                       piece.silenceMs <= lenvoro::engine::kMaximumSilenceMs);
            continue;
        }
        FUZZ_CHECK(piece.volumePercent >= 0 && piece.volumePercent <= 100);
        FUZZ_CHECK(!piece.absoluteRate || (*piece.absoluteRate >= lenvoro::engine::kMinimumRate &&
                                           *piece.absoluteRate <= lenvoro::engine::kMaximumRate));
        FUZZ_CHECK(std::abs(piece.relativeRate) <= 2 * lenvoro::engine::kMaximumRate);
        for (size_t i = 0; i < piece.text.size(); ++i) {
            const char32_t c = piece.text[i];
            FUZZ_CHECK(c != 0 && c <= 0x10FFFF && !isSurrogate(c));
            FUZZ_CHECK(piece.sourceOffset[i] >= nextUnit);
            FUZZ_CHECK(piece.sourceLength[i] >= 1);
            FUZZ_CHECK(size_t{piece.sourceOffset[i]} + piece.sourceLength[i] <= text.size());
            nextUnit = piece.sourceOffset[i] + piece.sourceLength[i];
        }
    }
}

// The splitter's pieces follow each other without gaps, none empty and none
// longer than its limit.
void checkSplit(std::u32string_view text) {
    size_t next = 0;
    for (const auto& [begin, end] : lenvoro::engine::splitForSynthesis(text)) {
        FUZZ_CHECK(begin == next);
        FUZZ_CHECK(begin < end && end <= text.size());
        FUZZ_CHECK(end - begin <= lenvoro::engine::kMaximumPieceCharacters);
        next = end;
    }
    FUZZ_CHECK(next == text.size());
}

// Without tags the whole text is one piece, one character per code point.
void checkPlain(const std::vector<SpeechPiece>& pieces, std::u16string_view text) {
    FUZZ_CHECK(pieces.size() == (text.empty() ? 0u : 1u));
    if (pieces.empty())
        return;
    checkPieces(pieces, text);
    const SpeechPiece& piece = pieces.front();
    FUZZ_CHECK(piece.sourceOffset.front() == 0);
    FUZZ_CHECK(piece.sourceOffset.back() + piece.sourceLength.back() == text.size());
    checkSplit(piece.text);
}

// The mixed markup is the header, then the text with voice tags between its
// runs: exactly as long as announced, and holding every unit of the text in
// order.
void checkVoiceMarkup(std::u16string_view text, int32_t pair) {
    std::u16string markup(text);
    const auto length = lenvoro::VoiceMarkupLength(text, pair);
    const auto built = lenvoro::BuildVoiceMarkup(markup, pair);
    if (!lenvoro::VoicePairTagsFor(pair)) {
        FUZZ_CHECK(!length && built == lenvoro::MarkupBuild::NoVoicePair && markup == text);
        return;
    }
    FUZZ_CHECK(length && built == lenvoro::MarkupBuild::Built);
    FUZZ_CHECK(markup.size() == *length);
    FUZZ_CHECK(markup.starts_with(lenvoro::kMarkupHeader));
    size_t found = 0;
    for (size_t i = lenvoro::kMarkupHeader.size(); i < markup.size() && found < text.size(); ++i) {
        if (markup[i] == text[found])
            ++found;
    }
    FUZZ_CHECK(found == text.size());
    checkPieces(lenvoro::engine::readMarkup(markup), markup);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = fuzz::utf16Units(fuzz::looseCodes(fuzz::bytesOf(data, size)));
    const auto pieces = lenvoro::engine::readMarkup(text);
    checkPieces(pieces, text);
    for (const SpeechPiece& piece : pieces)
        checkSplit(piece.text);
    const auto plain = lenvoro::engine::readMarkup(text, false);
    checkPlain(plain, text);
    // A text without "<" and "&" has nothing for the reader to interpret.
    if (text.find_first_of(u"<&") == std::u16string::npos) {
        FUZZ_CHECK(pieces.size() == plain.size());
        FUZZ_CHECK(pieces.empty() || (pieces.front().text == plain.front().text &&
                                      pieces.front().sourceOffset == plain.front().sourceOffset));
    }
    checkVoiceMarkup(text, size > 0 ? data[0] % 9 : 1);
    return 0;
}
