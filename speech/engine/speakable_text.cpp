#include "speakable_text.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace lenvoro::engine {

namespace {

// Inclusive ranges of assigned characters, in order, where espeak-ng 1.51
// was seen reading freed memory (valgrind, every code point on its own).
constexpr std::pair<char32_t, char32_t> kUnreadable[] = {
    {0x0558, 0x055A}, {0x0560, 0x0560}, {0x0588, 0x0588}, {0x058B, 0x058F}, {0x0970, 0x0970},
    {0x09E4, 0x09EF}, {0x09F2, 0x09F3}, {0x09F7, 0x09F9}, {0x09FB, 0x09FB}, {0x09FD, 0x09FF},
    {0x0A64, 0x0A6F}, {0x0A76, 0x0A7F}, {0x0AE4, 0x0AF8}, {0x0AFD, 0x0AFF}, {0x0B80, 0x0B81},
    {0x0B84, 0x0B84}, {0x0B8B, 0x0B8D}, {0x0B91, 0x0B91}, {0x0B96, 0x0B98}, {0x0B9B, 0x0B9B},
    {0x0B9D, 0x0B9D}, {0x0BA0, 0x0BA2}, {0x0BA5, 0x0BA7}, {0x0BAB, 0x0BAD}, {0x0BBA, 0x0BBD},
    {0x0BC3, 0x0BC5}, {0x0BC9, 0x0BC9}, {0x0BCE, 0x0BCF}, {0x0BD1, 0x0BD6}, {0x0BD8, 0x0BEF},
    {0x0BFB, 0x0BFF}, {0x0C80, 0x0C81}, {0x0C84, 0x0C84}, {0x0C8C, 0x0C8D}, {0x0C91, 0x0C91},
    {0x0CA9, 0x0CA9}, {0x0CB4, 0x0CB4}, {0x0CBA, 0x0CBB}, {0x0CC5, 0x0CC5}, {0x0CC9, 0x0CC9},
    {0x0CCE, 0x0CD4}, {0x0CD7, 0x0CDD}, {0x0CDF, 0x0CDF}, {0x0CE1, 0x0D01}, {0x0D04, 0x0D04},
    {0x0D0C, 0x0D0D}, {0x0D11, 0x0D11}, {0x0D29, 0x0D29}, {0x0D3A, 0x0D3C}, {0x0D45, 0x0D45},
    {0x0D49, 0x0D49}, {0x0D4F, 0x0D56}, {0x0D58, 0x0D5F}, {0x0D62, 0x0D79}, {0x0DC7, 0x0DC9},
    {0x0DCB, 0x0DCE}, {0x0DD5, 0x0DD5}, {0x0DD7, 0x0DD7}, {0x0DE0, 0x0DF1}, {0x0DF5, 0x0DFF},
    {0x1180, 0x11A7}, {0x11C3, 0x11FF},
};

// Unicode's character classes as the C library knows them, without touching
// the process's own locale; null where C.UTF-8 is missing.
locale_t unicodeClasses() {
    static const locale_t classes = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return classes;
}

// A code point no character is assigned to (nor a space or a control).
bool unassigned(char32_t c) {
    const locale_t classes = unicodeClasses();
    if (classes == locale_t{} || c < 0x80)
        return false;
    const auto w = static_cast<wint_t>(c);
    return !iswprint_l(w, classes) && !iswspace_l(w, classes) && !iswcntrl_l(w, classes);
}

bool inUnreadableRange(char32_t c) {
    if (c < kUnreadable[0].first || c > std::prev(std::end(kUnreadable))->second)
        return false;
    const auto after =
        std::upper_bound(std::begin(kUnreadable), std::end(kUnreadable), c,
                         [](char32_t v, const auto& range) { return v < range.first; });
    return after != std::begin(kUnreadable) && c <= std::prev(after)->second;
}

}  // namespace

bool espeakCanRead(char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return false;
    if ((c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE)
        return false;  // noncharacters
    return !inUnreadableRange(c) && !unassigned(c);
}

void blankUnreadable(std::wstring& text) {
    for (wchar_t& c : text) {
        if (!espeakCanRead(static_cast<char32_t>(c)))
            c = L' ';
    }
}

}  // namespace lenvoro::engine
