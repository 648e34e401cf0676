// The INI reader of the engine settings and the voice tokens built on it, on
// any file content.
#include <map>

#include "engine/ini_file.h"
#include "engine/text.h"
#include "engine/voice_tokens.h"
#include "fuzz_support.h"

namespace {

using lenvoro::engine::IniFile;
using lenvoro::engine::ObjectToken;
using lenvoro::engine::succeeded;

fuzz::ScratchFile& tokenFile() {
    static fuzz::ScratchFile file;
    return file;
}

// The engine writes its settings with serialize and reads them back with
// parse: what it wrote must read back as the same settings.
void checkRoundTrip(const IniFile& ini) {
    const std::string written = ini.serialize();
    FUZZ_CHECK(IniFile::parse(written).serialize() == written);
}

// A section's entries under the UTF-16 names the token keeps them by ("" for
// the default display name of [Token]). Names that are not valid UTF-8 can
// meet on one UTF-16 name (each bad byte becomes U+FFFD), and the token
// answers for the first of those only, so they are left out.
std::map<std::u16string, std::u16string> entriesByName(
    const std::map<std::string, std::string>* section, bool defaultIsUnnamed) {
    std::map<std::u16string, std::u16string> entries;
    std::map<std::u16string, int> uses;
    if (section == nullptr)
        return entries;
    for (const auto& [key, text] : *section) {
        const std::u16string name =
            defaultIsUnnamed && key == "default" ? u"" : lenvoro::engine::utf8ToUtf16(key);
        entries[name] = lenvoro::engine::utf8ToUtf16(text);
        ++uses[name];
    }
    std::erase_if(entries, [&](const auto& entry) { return uses[entry.first] > 1; });
    return entries;
}

// A token answers for its own entries: each value it was given is found
// again by its name, and each attribute matches a query for itself.
void checkToken(const ObjectToken& token, const IniFile& ini) {
    std::u16string value;
    FUZZ_CHECK(succeeded(token.getAttribute(u"Name", &value)) && !value.empty());
    FUZZ_CHECK(token.matches(u"") && token.matchCount(u"") == 0);
    FUZZ_CHECK(token.espeakVoice().pitch >= 0 && token.espeakVoice().pitch <= 100);
    FUZZ_CHECK(token.espeakVoice().range >= 0 && token.espeakVoice().range <= 100);
    std::u16string query;
    size_t conditions = 0;
    for (const auto& [name, wanted] : entriesByName(ini.section("Attributes"), false)) {
        FUZZ_CHECK(succeeded(token.getAttribute(name, &value)) && value == wanted);
        // ";" separates conditions, so only entries without it can be asked for.
        if (name.find(u';') != std::u16string::npos || wanted.find(u';') != std::u16string::npos)
            continue;
        const std::u16string condition = name + u"=" + wanted;
        FUZZ_CHECK(token.matches(condition));
        query += condition + u";";
        ++conditions;
    }
    FUZZ_CHECK(token.matches(query) && token.matchCount(query) == conditions);
    for (const auto& [name, wanted] : entriesByName(ini.section("Token"), true))
        FUZZ_CHECK(succeeded(token.getStringValue(name, &value)) && value == wanted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content = fuzz::bytesOf(data, size);
    const IniFile ini = IniFile::parse(content);
    checkRoundTrip(ini);

    tokenFile().write(content);
    const auto token = ObjectToken::loadVoice(tokenFile().path(), "fuzz");
    if (content.size() > lenvoro::engine::kMaximumIniFileBytes) {
        FUZZ_CHECK(token == nullptr);
    } else if (token) {
        checkToken(*token, ini);
    }
    return 0;
}
