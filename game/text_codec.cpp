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

std::size_t oneByte(const char*, std::size_t) { return 1; }

// A whole UTF-8 character, so the output stays in step with the input.
std::size_t oneUtf8Character(const char* at, std::size_t left) {
    std::size_t skip = 1;
    while (skip < left && (static_cast<unsigned char>(at[skip]) & 0xC0) == 0x80) ++skip;
    return skip;
}

// Runs iconv over all of `in`. At a byte sequence that cannot be converted,
// `onInvalid` is appended and the sequence is stepped over.
std::string convert(const char* to, const char* from, std::string_view in,
                    std::string_view onInvalid, SkipLength skipLength) {
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
        if (rc != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ, or EINVAL for a sequence cut off at the end of the input.
        out.append(onInvalid);
        const std::size_t skip = std::min(skipLength(inPtr, inLeft), inLeft);
        inPtr += skip;
        inLeft -= skip;
    }
    return out;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

}  // namespace

QString decodeGameText(std::string_view bytes) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        // QString::fromUtf8 already turns invalid sequences into U+FFFD.
        bytes.remove_prefix(kUtf8Bom.size());
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    const std::string utf8 = convert("UTF-8", "GBK", bytes, kReplacementUtf8, oneByte);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string encodeGbk(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return convert("GBK", "UTF-8",
                   std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())), "?",
                   oneUtf8Character);
}

std::string codeSetOfLocale(std::string_view localeName) {
    if (localeName.empty() || localeName == "C" || localeName == "POSIX") return "UTF-8";
    const std::size_t dot = localeName.find('.');
    if (dot != std::string_view::npos) {
        std::string_view codeSet = localeName.substr(dot + 1);
        codeSet = codeSet.substr(0, codeSet.find('@'));
        if (!codeSet.empty()) return std::string(codeSet);
    }
    const std::string name(localeName);
    locale_t locale = newlocale(LC_CTYPE_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) return "UTF-8";
    std::string codeSet = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    return codeSet.empty() ? "UTF-8" : codeSet;
}

std::string localeCodeSet() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return codeSetOfLocale(value);
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
