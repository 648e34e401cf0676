#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <stdexcept>

#include "codeset/codeset.h"

namespace codeset {

// --- Converter ---------------------------------------------------------------------

Converter::Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}

Converter::~Converter() {
    if (valid())
        iconv_close(handle_);
}

int Converter::convert(const char* begin, const char* end, char*& in, std::size_t& inLeft,
                       char*& out, std::size_t& outLeft) {
    const std::size_t converted = iconv(handle_, &in, &inLeft, &out, &outLeft);
    const int error = converted == static_cast<std::size_t>(-1) ? errno : 0;
    const auto position = reinterpret_cast<std::uintptr_t>(in);
    if (position < reinterpret_cast<std::uintptr_t>(begin) ||
        position > reinterpret_cast<std::uintptr_t>(end))
        in = const_cast<char*>(end);
    inLeft = static_cast<std::size_t>(end - in);
    return error;
}

void Converter::finish(char*& out, std::size_t& outLeft) {
    iconv(handle_, nullptr, nullptr, &out, &outLeft);
}

void Converter::reset() {
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
}

// --- Whole texts ---------------------------------------------------------------------

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// How many input bytes to step over at a sequence that cannot be converted.
std::size_t skipLength(Resume resume, const char* at, std::size_t left) {
    std::size_t skip = 1;
    if (resume == Resume::AfterUtf8Character) {
        while (skip < left && (static_cast<unsigned char>(at[skip]) & 0xC0) == 0x80)
            ++skip;
    }
    return std::min(skip, left);
}

// What reading bytes as UTF-8 meets: its faults (overlong forms, surrogates
// and code points beyond U+10FFFF count as faults too) and the highest
// character, 0 for pure ASCII.
struct Utf8Scan {
    Faults faults;
    char32_t highest = 0;
};

Utf8Scan scanUtf8(std::string_view bytes) {
    Utf8Scan scan;
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    std::size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = byteAt(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t c = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            c = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            c = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
        }
        std::size_t read = 1;
        while (length > 0 && read < length && i + read < bytes.size() &&
               (byteAt(i + read) & 0xC0) == 0x80) {
            c = (c << 6) | (byteAt(i + read) & 0x3F);
            ++read;
        }
        const bool valid = length > 0 && read == length && !(length == 3 && c < 0x800) &&
                           !(length == 4 && c < 0x10000) && !(c >= 0xD800 && c <= 0xDFFF) &&
                           c <= 0x10FFFF;
        if (valid)
            scan.highest = std::max(scan.highest, c);
        else
            scan.faults.add(static_cast<std::ptrdiff_t>(i));
        i += read;
    }
    return scan;
}

int lineOf(std::string_view bytes, std::ptrdiff_t offset) {
    if (offset < 0)
        return 0;
    // In GBK a line feed byte is always a line feed: no trail byte is 0x0A.
    return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + offset, '\n'));
}

}  // namespace

std::string convert(const char* to, const char* from, std::string_view in,
                    std::string_view substitute, Resume resume, Faults* faults) {
    Converter converter(to, from);
    if (!converter.valid())
        throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
    std::string out;
    out.reserve(in.size() * 2 + 16);
    const char* const begin = in.data();
    const char* const end = begin + in.size();
    char* inPtr = const_cast<char*>(begin);
    std::size_t inLeft = in.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const int error = converter.convert(begin, end, inPtr, inLeft, outPtr, outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (error == 0)
            break;
        if (error == E2BIG)
            continue;
        // EILSEQ, or EINVAL for a sequence cut off at the end of the input.
        if (faults)
            faults->add(inPtr - begin);
        out.append(substitute);
        const std::size_t skip = skipLength(resume, inPtr, inLeft);
        inPtr += skip;
        inLeft -= skip;
    }
    return out;
}

DecodedText decodeGbkOrUtf8(std::string_view bytes) {
    DecodedText result;
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        result.encoding = "UTF-8";
        result.text = std::string(bytes.substr(kUtf8Bom.size()));
        const Faults faults = scanUtf8(bytes.substr(kUtf8Bom.size())).faults;
        if (faults.first >= 0)
            result.firstInvalidByte = faults.first + static_cast<std::ptrdiff_t>(kUtf8Bom.size());
    } else {
        const Utf8Scan asUtf8 = scanUtf8(bytes);
        Faults gbkFaults;
        std::string gbk =
            convert("UTF-8", "GBK", bytes, kReplacementUtf8, Resume::AfterByte, &gbkFaults);
        const bool plainlyUtf8 = asUtf8.faults.count == 0 && asUtf8.highest >= 0x80 &&
                                 (gbkFaults.count > 0 || asUtf8.highest >= 0x800);
        const bool fewerUtf8Faults =
            asUtf8.faults.count > 0 && gbkFaults.count > 0 && asUtf8.faults.count < gbkFaults.count;
        if (plainlyUtf8 || fewerUtf8Faults) {
            result.encoding = "UTF-8";
            result.text = std::string(bytes);
            result.firstInvalidByte = asUtf8.faults.first;
        } else {
            result.text = std::move(gbk);
            result.firstInvalidByte = gbkFaults.first;
        }
    }
    result.firstInvalidLine = lineOf(bytes, result.firstInvalidByte);
    return result;
}

std::string encodeGbk(std::string_view utf8) {
    return convert("GBK", "UTF-8", utf8, "?", Resume::AfterUtf8Character);
}

std::string encodeForLocale(std::string_view utf8) {
    try {
        return convert(localeCodeSet().c_str(), "UTF-8", utf8, "?", Resume::AfterUtf8Character);
    } catch (const std::runtime_error&) {
        return std::string(utf8);  // a code set the system cannot convert to
    }
}

}  // namespace codeset
