#include "voice_files.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <system_error>

#include "data_folders.h"
#include "ini_file.h"
#include "text.h"

namespace lenvoro::engine {

namespace {

// A hexadecimal language identifier as tokens write it ("804", "0409"); 0
// when it is none.
uint16_t parseLanguageId(std::u16string_view text) {
    if (text.empty() || text.size() > 8)
        return 0;
    uint32_t value = 0;
    for (char16_t c : asciiLower(text)) {
        if (c >= u'0' && c <= u'9')
            value = value * 16 + (c - u'0');
        else if (c >= u'a' && c <= u'f')
            value = value * 16 + (c - u'a' + 10);
        else
            return 0;
    }
    return static_cast<uint16_t>(value & 0xFFFF);
}

}  // namespace

uint16_t defaultVoiceLanguage(std::string_view localeName) {
    // language[_TERRITORY][.codeset][@modifier]; a hyphen is taken as well.
    const std::string language = asciiLower(localeName.substr(0, localeName.find_first_of("_-.@")));
    return language == "zh" ? kPrimaryLanguageChinese : kPrimaryLanguageEnglish;
}

uint16_t defaultVoiceLanguage() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0')
            return defaultVoiceLanguage(value);
    }
    return defaultVoiceLanguage("");
}

bool languagesInclude(std::u16string_view languages, uint16_t primaryLanguage) {
    while (!languages.empty()) {
        const size_t semicolon = languages.find(u';');
        const uint16_t language = parseLanguageId(trimSpaces(languages.substr(0, semicolon)));
        if (language != 0 && (language & 0x3FF) == primaryLanguage)
            return true;
        languages.remove_prefix(semicolon == std::u16string_view::npos ? languages.size()
                                                                       : semicolon + 1);
    }
    return false;
}

std::vector<VoiceFile> voiceFiles() {
    std::vector<VoiceFile> found;
    const std::string prefix = std::string(kVoicesCategoryId) + "\\Tokens\\";
    std::set<std::string> seen;
    for (const auto& folder : dataFolders()) {
        std::error_code error;
        std::vector<std::filesystem::path> files;
        for (auto it = std::filesystem::directory_iterator(folder / "voices", error);
             !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
            if (it->path().extension() == ".ini")
                files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            const std::string stem = file.stem().string();
            if (seen.insert(stem).second)
                found.push_back({file, prefix + stem});
        }
    }
    return found;
}

std::optional<std::string> storedDefaultTokenId(std::string_view settingsSection) {
    return IniFile::load(engineSettingsPath()).value(settingsSection, "DefaultTokenId");
}

std::optional<DefaultTokenChoice> chooseDefaultToken(
    const std::vector<std::pair<std::string, std::u16string>>& tokens,
    const std::optional<std::string>& storedId, uint16_t language) {
    if (tokens.empty())
        return std::nullopt;
    if (storedId) {
        const std::string wanted = asciiLower(*storedId);
        for (size_t i = 0; i < tokens.size(); ++i) {
            if (asciiLower(tokens[i].first) == wanted)
                return DefaultTokenChoice{i, DefaultTokenReason::Stored};
        }
    }
    // Nothing chosen yet: a voice that can read the user's own language, so
    // that an English desktop does not hear English in a Chinese voice.
    for (size_t i = 0; language != 0 && i < tokens.size(); ++i) {
        if (languagesInclude(tokens[i].second, language))
            return DefaultTokenChoice{i, DefaultTokenReason::Language};
    }
    return DefaultTokenChoice{0, DefaultTokenReason::FirstToken};
}

}  // namespace lenvoro::engine
