#include "locale_text.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <bit>
#include <cerrno>
#include <cstdlib>

namespace lenvoro::say {

namespace {

constexpr char16_t kReplacement = 0xFFFD;
constexpr const char* kUtf8 = "UTF-8";
constexpr const char* kWideCodeSet =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

class Converter {
public:
    Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

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

std::string LocaleCodeSet() {
    std::string name;
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    if (name.empty() || name == "C" || name == "POSIX")
        return kUtf8;
    if (const size_t dot = name.find('.'); dot != std::string::npos) {
        const std::string codeSet = name.substr(dot + 1, name.find('@', dot) - dot - 1);
        if (!codeSet.empty())
            return codeSet;
    }
    locale_t locale = newlocale(LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return kUtf8;
    const std::string codeSet = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return codeSet.empty() ? kUtf8 : codeSet;
}

std::u16string DecodeText(std::string_view bytes, const std::string& codeSet) {
    std::u16string text;
    if (bytes.empty())
        return text;
    Converter converter(kWideCodeSet, codeSet.c_str());
    if (!converter.valid()) {
        if (codeSet != kUtf8)
            return DecodeText(bytes, kUtf8);
        // No converter at all: ASCII is ASCII everywhere, the rest is unreadable.
        for (unsigned char byte : bytes)
            text += byte < 0x80 ? static_cast<char16_t>(byte) : kReplacement;
        return text;
    }

    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char16_t chunk[512];
    auto convert = [&](char** input, size_t* left) {
        char* out = reinterpret_cast<char*>(chunk);
        size_t outLeft = sizeof chunk;
        const size_t converted = iconv(converter.get(), input, left, &out, &outLeft);
        const int error = converted == static_cast<size_t>(-1) ? errno : 0;
        text.append(chunk, (sizeof chunk - outLeft) / sizeof(char16_t));
        return error;
    };
    while (inLeft > 0) {
        const int error = convert(&in, &inLeft);
        if (error == 0 || error == E2BIG)
            continue;
        text += kReplacement;
        if (error != EILSEQ)
            break;  // the text ends inside a character
        // A byte outside the code set: read on after it.
        ++in;
        --inLeft;
        iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
    }
    // Stateful code sets may hold a character back until the text ends.
    convert(nullptr, nullptr);
    return text;
}

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
