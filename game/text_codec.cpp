#include "text_codec.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

namespace tukomi {
namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle openConverter(const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
    return IconvHandle(cd);
}

// How many input bytes to step over at a sequence that cannot be converted.
using SkipLength = std::size_t (*)(const char* at, std::size_t left);

std::size_t oneByte(const char*, std::size_t) {
    return 1;
}

// A whole UTF-8 character, so the output stays in step with the input.
std::size_t oneUtf8Character(const char* at, std::size_t left) {
    std::size_t skip = 1;
    while (skip < left && (static_cast<unsigned char>(at[skip]) & 0xC0) == 0x80)
        ++skip;
    return skip;
}

// The byte sequences of an input that a conversion could not read.
struct Faults {
    std::size_t count = 0;
    std::ptrdiff_t first = -1;  // byte offset of the first, -1 for none

    void add(std::ptrdiff_t offset) {
        if (count++ == 0)
            first = offset;
    }
};

// Runs iconv over all of `in`. At a byte sequence that cannot be converted,
// `onInvalid` is appended and the sequence is stepped over (and counted in
// `faults` when given).
std::string convert(const char* to, const char* from, std::string_view in,
                    std::string_view onInvalid, SkipLength skipLength, Faults* faults = nullptr) {
    IconvHandle cd = openConverter(to, from);
    std::string out;
    out.reserve(in.size() * 2 + 16);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc =
            iconv(static_cast<iconv_t>(cd.get()), &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (rc != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        // EILSEQ, or EINVAL for a sequence cut off at the end of the input.
        if (faults)
            faults->add(inPtr - in.data());
        out.append(onInvalid);
        const std::size_t skip = std::min(skipLength(inPtr, inLeft), inLeft);
        inPtr += skip;
        inLeft -= skip;
    }
    return out;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

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

QString fromUtf8(std::string_view bytes) {
    // QString::fromUtf8 already turns invalid sequences into U+FFFD.
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

int lineOf(std::string_view bytes, std::ptrdiff_t offset) {
    if (offset < 0)
        return 0;
    // In GBK a line feed byte is always a line feed: no trail byte is 0x0A.
    return 1 + static_cast<int>(std::count(bytes.begin(), bytes.begin() + offset, '\n'));
}

}  // namespace

GameText readGameText(std::string_view bytes) {
    GameText result;
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        result.encoding = "UTF-8";
        result.text = fromUtf8(bytes.substr(kUtf8Bom.size()));
        const Faults faults = scanUtf8(bytes.substr(kUtf8Bom.size())).faults;
        if (faults.first >= 0)
            result.firstInvalidByte = faults.first + static_cast<std::ptrdiff_t>(kUtf8Bom.size());
    } else {
        const Utf8Scan asUtf8 = scanUtf8(bytes);
        Faults gbkFaults;
        const std::string gbk =
            convert("UTF-8", "GBK", bytes, kReplacementUtf8, oneByte, &gbkFaults);
        const bool plainlyUtf8 = asUtf8.faults.count == 0 && asUtf8.highest >= 0x80 &&
                                 (gbkFaults.count > 0 || asUtf8.highest >= 0x800);
        const bool fewerUtf8Faults =
            asUtf8.faults.count > 0 && gbkFaults.count > 0 && asUtf8.faults.count < gbkFaults.count;
        if (plainlyUtf8 || fewerUtf8Faults) {
            result.encoding = "UTF-8";
            result.text = fromUtf8(bytes);
            result.firstInvalidByte = asUtf8.faults.first;
        } else {
            result.text = fromUtf8(gbk);
            result.firstInvalidByte = gbkFaults.first;
        }
    }
    result.firstInvalidLine = lineOf(bytes, result.firstInvalidByte);
    return result;
}

QString decodeGameText(std::string_view bytes) {
    return readGameText(bytes).text;
}

std::string encodeGbk(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return convert("GBK", "UTF-8",
                   std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), "?",
                   oneUtf8Character);
}

std::string codeSetOfLocale(std::string_view localeName) {
    if (localeName.empty() || localeName == "C" || localeName == "POSIX")
        return "UTF-8";
    const std::size_t dot = localeName.find('.');
    if (dot != std::string_view::npos) {
        std::string_view codeSet = localeName.substr(dot + 1);
        codeSet = codeSet.substr(0, codeSet.find('@'));
        if (!codeSet.empty())
            return std::string(codeSet);
    }
    const std::string name(localeName);
    locale_t locale = newlocale(LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr))
        return "UTF-8";
    std::string codeSet = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return codeSet.empty() ? "UTF-8" : codeSet;
}

std::string localeCodeSet() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return codeSetOfLocale(value);
    }
    return "UTF-8";
}

std::string encodeForLocale(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    const std::string_view bytes(utf8.constData(), static_cast<std::size_t>(utf8.size()));
    try {
        return convert(localeCodeSet().c_str(), "UTF-8", bytes, "?", oneUtf8Character);
    } catch (const std::runtime_error&) {
        return std::string(bytes);  // a code set the system cannot convert to
    }
}

}  // namespace tukomi
