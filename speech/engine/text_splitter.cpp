#include "text_splitter.h"

namespace lenvoro::engine {

namespace {

bool isChinese(char32_t c) {
    return (c >= 0x3000 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0x20000 && c <= 0x3FFFF);
}

bool endsSentence(char32_t c) {
    switch (c) {
        case U'.':
        case U'!':
        case U'?':
        case U';':
        case U'\n':
        case U'。':
        case U'！':
        case U'？':
        case U'；':
            return true;
        default:
            return false;
    }
}

bool isBreak(char32_t c) {
    switch (c) {
        case U' ':
        case U'\t':
        case U'\r':
        case U',':
        case U':':
        case U'，':
        case U'、':
        case U'：':
            return true;
        default:
            return endsSentence(c);
    }
}

}  // namespace

std::vector<std::pair<size_t, size_t>> splitForSynthesis(std::u32string_view text) {
    std::vector<std::pair<size_t, size_t>> pieces;
    size_t begin = 0;
    bool chinese = false;
    for (size_t i = 0; i < text.size(); ++i) {
        chinese = chinese || isChinese(text[i]);
        const size_t length = i + 1 - begin;
        const bool nextIsSpace = i + 1 >= text.size() || text[i + 1] == U' ' ||
                                 text[i + 1] == U'\n' || isChinese(text[i]);
        if (length >= kSoftPieceCharacters && endsSentence(text[i]) && nextIsSpace) {
            pieces.emplace_back(begin, i + 1);
            begin = i + 1;
            chinese = false;
            continue;
        }
        const size_t limit = chinese ? kMaximumChinesePieceCharacters : kMaximumPieceCharacters;
        if (length >= limit) {
            // Cut after the last break in the second half, else right here.
            size_t cut = i + 1;
            for (size_t k = i; k > begin + limit / 2; --k) {
                if (isBreak(text[k])) {
                    cut = k + 1;
                    break;
                }
            }
            pieces.emplace_back(begin, cut);
            begin = cut;
            chinese = false;
            for (size_t k = begin; k <= i; ++k)
                chinese = chinese || isChinese(text[k]);
        }
    }
    if (begin < text.size())
        pieces.emplace_back(begin, text.size());
    return pieces;
}

}  // namespace lenvoro::engine
