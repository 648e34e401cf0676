#include "text.h"

namespace lenvoro::engine {

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        char32_t code = kReplacementCharacter;
        size_t length = 1;
        size_t need = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            code = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1, code = lead & 0x1F, minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2, code = lead & 0x0F, minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3, code = lead & 0x07, minimum = 0x10000;
        }
        if (need > 0) {
            size_t k = 1;
            for (; k <= need && i + k < text.size(); ++k) {
                const auto next = static_cast<unsigned char>(text[i + k]);
                if ((next & 0xC0) != 0x80)
                    break;
                code = (code << 6) | (next & 0x3F);
            }
            if (k == need + 1 && code >= minimum && code <= 0x10FFFF &&
                !(code >= 0xD800 && code <= 0xDFFF)) {
                length = need + 1;
            } else {
                code = kReplacementCharacter;
                length = k;  // skip the bytes that looked like a sequence
            }
        } else if (lead >= 0x80) {
            code = kReplacementCharacter;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
        i += length;
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t code = text[i];
        if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacementCharacter;
        }
        if (code < 0x80) {
            out.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (code >> 18)));
            out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return out;
}

namespace {

template <typename Text>
Text mapped(Text text, auto change) {
    for (auto& c : text)
        c = change(c);
    return text;
}

template <typename View>
bool equalFolded(View a, View b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

}  // namespace

std::u16string asciiLower(std::u16string_view text) {
    return mapped(std::u16string(text), [](char16_t c) { return asciiLower(c); });
}

std::string asciiLower(std::string_view text) {
    return mapped(std::string(text), [](char c) { return asciiLower(c); });
}

std::string asciiUpper(std::string_view text) {
    return mapped(std::string(text), [](char c) { return asciiUpper(c); });
}

bool equalsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    return equalFolded(a, b);
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return equalFolded(a, b);
}

std::u16string_view trimSpaces(std::u16string_view text) {
    auto isSpace = [](char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

}  // namespace lenvoro::engine
