#include "ansi_text.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace lenvoro {

namespace {

constexpr const char* kUtf8 = "UTF-8";
// char16_t in the byte order of this machine, without a byte-order mark.
constexpr const char* kWideCodeSet =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// One iconv conversion descriptor, closed when it goes.
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
    void resetState() { iconv(handle_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t handle_;
};

// Where iconv says it stopped, held to the input it was given: the position
// is kept within [begin, end] and the count left is recounted from it. Some
// converters report an error after consuming the bytes at fault (a shift-out
// with no character set designated, at the end of the text, in
// ISO-2022-CN-EXT), so nothing iconv leaves there is taken on trust.
void keepWithinInput(const char* begin, const char* end, char*& in, size_t& inLeft) {
    const auto position = reinterpret_cast<std::uintptr_t>(in);
    if (position < reinterpret_cast<std::uintptr_t>(begin) ||
        position > reinterpret_cast<std::uintptr_t>(end))
        in = const_cast<char*>(end);
    inLeft = static_cast<size_t>(end - in);
}

}  // namespace

std::string AnsiCodeSetForLocale(std::string_view localeName) {
    if (localeName.empty() || localeName == "C" || localeName == "POSIX")
        return kUtf8;
    const size_t dot = localeName.find('.');
    if (dot != std::string_view::npos) {
        std::string_view codeSet = localeName.substr(dot + 1);
        codeSet = codeSet.substr(0, codeSet.find('@'));
        if (!codeSet.empty())
            return std::string(codeSet);
    }
    // No code set in the name: the one the system's locale of that name has.
    const std::string name(localeName);
    locale_t locale = newlocale(LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return kUtf8;
    std::string codeSet = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return codeSet.empty() ? kUtf8 : codeSet;
}

std::string AnsiCodeSet(const EnvironmentLookup& environment) {
    return AnsiCodeSetForLocale(UserLocaleName(environment));
}

std::string AnsiCodeSet() {
    return AnsiCodeSet(processEnvironment());
}

std::u16string AnsiToWide(std::string_view bytes, const std::string& codeSet) {
    std::u16string wide;
    if (bytes.empty())
        return wide;
    Converter converter(kWideCodeSet, codeSet.c_str());
    if (!converter.valid()) {
        Converter utf8(kWideCodeSet, kUtf8);
        if (!utf8.valid()) {
            // No converter at all: ASCII is ASCII everywhere, the rest is unreadable.
            for (unsigned char byte : bytes) {
                wide += byte < 0x80 ? static_cast<char16_t>(byte) : kReplacementUnit;
            }
            return wide;
        }
        return AnsiToWide(bytes, kUtf8);
    }

    wide.reserve(bytes.size());
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    char* in = const_cast<char*>(begin);
    size_t inLeft = bytes.size();
    char16_t chunk[512];
    auto appendProduced = [&](size_t outLeft) {
        wide.append(chunk, (sizeof chunk - std::min(outLeft, sizeof chunk)) / sizeof(char16_t));
    };
    while (inLeft > 0) {
        const char* const before = in;
        char* out = reinterpret_cast<char*>(chunk);
        size_t outLeft = sizeof chunk;
        const size_t converted = iconv(converter.get(), &in, &inLeft, &out, &outLeft);
        const int error = converted == static_cast<size_t>(-1) ? errno : 0;
        keepWithinInput(begin, end, in, inLeft);
        appendProduced(outLeft);
        const bool progressed = in != before || outLeft < sizeof chunk;
        if ((error == 0 || error == E2BIG) && progressed)
            continue;
        if (error == EILSEQ) {
            // A byte outside the code set: mark it and go on after it, unless
            // the converter has already taken it.
            wide += kReplacementUnit;
            if (inLeft > 0) {
                ++in;
                --inLeft;
            }
            converter.resetState();
            continue;
        }
        // The text ends inside a character (EINVAL), or iconv gave up.
        wide += kReplacementUnit;
        break;
    }
    // Stateful code sets may hold back a character until told the text ended.
    char* out = reinterpret_cast<char*>(chunk);
    size_t outLeft = sizeof chunk;
    iconv(converter.get(), nullptr, nullptr, &out, &outLeft);
    appendProduced(outLeft);
    return wide;
}

std::u16string AnsiArgument(const char* text, const std::string& codeSet) {
    if (text == nullptr)
        return {};
    return AnsiToWide(std::string_view(text), codeSet);
}

std::u16string AnsiArgument(const char* text) {
    if (text == nullptr)
        return {};
    return AnsiArgument(text, AnsiCodeSet());
}

std::u16string_view WideArgument(const char16_t* text) {
    if (text == nullptr)
        return {};
    return std::u16string_view(text);
}

size_t AnsiByteLength(std::u16string_view text, const std::string& codeSet) {
    if (text.empty())
        return 0;
    Converter converter(codeSet.c_str(), kWideCodeSet);
    if (!converter.valid())
        return AnsiByteLength(text, kUtf8);

    size_t length = 0;
    const char* const begin = reinterpret_cast<const char*>(text.data());
    const char* const end = begin + text.size() * sizeof(char16_t);
    char* in = const_cast<char*>(begin);
    size_t inLeft = text.size() * sizeof(char16_t);
    char chunk[512];
    while (true) {
        char* out = chunk;
        size_t outLeft = sizeof chunk;
        const size_t converted = iconv(converter.get(), &in, &inLeft, &out, &outLeft);
        const int error = converted == static_cast<size_t>(-1) ? errno : 0;
        keepWithinInput(begin, end, in, inLeft);
        length += sizeof chunk - std::min(outLeft, sizeof chunk);
        if (error == E2BIG && outLeft < sizeof chunk)
            continue;
        if (error == EILSEQ || error == EINVAL) {
            // Unconvertible, or half a surrogate pair: one substitute byte for
            // the character (both halves of a pair when they are there).
            ++length;
            converter.resetState();
            if (inLeft < sizeof(char16_t))
                break;  // the converter has already taken the character
            size_t skip = sizeof(char16_t);
            char16_t unit;
            std::memcpy(&unit, in, sizeof unit);
            if (unit >= 0xD800 && unit <= 0xDBFF && inLeft >= 2 * sizeof(char16_t)) {
                char16_t next;
                std::memcpy(&next, in + sizeof(char16_t), sizeof next);
                if (next >= 0xDC00 && next <= 0xDFFF)
                    skip *= 2;
            }
            in += skip;
            inLeft -= skip;
            if (inLeft == 0)
                break;
            continue;
        }
        break;
    }
    // Stateful code sets end with a return to their initial state.
    char* out = chunk;
    size_t outLeft = sizeof chunk;
    iconv(converter.get(), nullptr, nullptr, &out, &outLeft);
    return length + (sizeof chunk - outLeft);
}

}  // namespace lenvoro
