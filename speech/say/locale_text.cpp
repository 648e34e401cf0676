#include "locale_text.h"

namespace lenvoro::say {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool isSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' ||
           c == 0x3000;
}

bool endsSentenceBeforeSpace(char16_t c) {
    return c == u'.' || c == u'!' || c == u'?' || c == u';';
}

bool endsSentence(char16_t c) {
    return c == 0x3002 || c == 0xFF01 || c == 0xFF1F;  // 。！？
}

// Closing marks that belong to the sentence before them: ” ’ 」 』 ） 》 )
bool closesQuote(char16_t c) {
    return c == 0x201D || c == 0x2019 || c == 0x300D || c == 0x300F || c == 0xFF09 || c == 0x300B ||
           c == u')';
}

}  // namespace

std::u32string Utf16ToUtf32(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            out += 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                   (static_cast<char32_t>(text[i + 1]) - 0xDC00);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            out += kReplacement;
        } else {
            out += unit;
        }
    }
    return out;
}

std::vector<std::u16string> SplitIntoPieces(std::u16string_view text, size_t minimumUnits) {
    std::vector<std::u16string> pieces;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool beforeSpace = i + 1 >= text.size() || isSpace(text[i + 1]);
        if (!(c == u'\n' || endsSentence(c) || (endsSentenceBeforeSpace(c) && beforeSpace)))
            continue;
        size_t end = i + 1;
        while (c != u'\n' && end < text.size() && closesQuote(text[end]))
            ++end;
        if (end - start >= minimumUnits) {
            pieces.emplace_back(text.substr(start, end - start));
            start = end;
        }
        i = end - 1;
    }
    if (start < text.size())
        pieces.emplace_back(text.substr(start));
    return pieces;
}

}  // namespace lenvoro::say
