#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

#include "codeset/codeset.h"

namespace codeset {

namespace {

constexpr const char* kUtf8 = "UTF-8";
// char16_t in the byte order of this machine, without a byte-order mark.
constexpr const char* kWideCodeSet =
    std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

}  // namespace

std::u16string toUtf16(std::string_view bytes, const std::string& codeSet) {
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
        return toUtf16(bytes, kUtf8);
    }

    wide.reserve(bytes.size());
    const char* const begin = bytes.data();
    const char* const end = begin + bytes.size();
    char* in = const_cast<char*>(begin);
    std::size_t inLeft = bytes.size();
    char16_t chunk[512];
    auto appendProduced = [&](std::size_t outLeft) {
        wide.append(chunk, (sizeof chunk - std::min(outLeft, sizeof chunk)) / sizeof(char16_t));
    };
    while (inLeft > 0) {
        const char* const before = in;
        char* out = reinterpret_cast<char*>(chunk);
        std::size_t outLeft = sizeof chunk;
        const int error = converter.convert(begin, end, in, inLeft, out, outLeft);
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
            converter.reset();
            continue;
        }
        // The text ends inside a character (EINVAL), or iconv gave up.
        wide += kReplacementUnit;
        break;
    }
    // Stateful code sets may hold back a character until told the text ended.
    char* out = reinterpret_cast<char*>(chunk);
    std::size_t outLeft = sizeof chunk;
    converter.finish(out, outLeft);
    appendProduced(outLeft);
    return wide;
}

std::size_t encodedLength(std::u16string_view text, const std::string& codeSet) {
    if (text.empty())
        return 0;
    Converter converter(codeSet.c_str(), kWideCodeSet);
    if (!converter.valid())
        return encodedLength(text, kUtf8);

    std::size_t length = 0;
    const char* const begin = reinterpret_cast<const char*>(text.data());
    const char* const end = begin + text.size() * sizeof(char16_t);
    char* in = const_cast<char*>(begin);
    std::size_t inLeft = text.size() * sizeof(char16_t);
    char chunk[512];
    while (true) {
        char* out = chunk;
        std::size_t outLeft = sizeof chunk;
        const int error = converter.convert(begin, end, in, inLeft, out, outLeft);
        length += sizeof chunk - std::min(outLeft, sizeof chunk);
        if (error == E2BIG && outLeft < sizeof chunk)
            continue;
        if (error == EILSEQ || error == EINVAL) {
            // Unconvertible, or half a surrogate pair: one substitute byte for
            // the character (both halves of a pair when they are there).
            ++length;
            converter.reset();
            if (inLeft < sizeof(char16_t))
                break;  // the converter has already taken the character
            std::size_t skip = sizeof(char16_t);
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
    std::size_t outLeft = sizeof chunk;
    converter.finish(out, outLeft);
    return length + (sizeof chunk - outLeft);
}

}  // namespace codeset
