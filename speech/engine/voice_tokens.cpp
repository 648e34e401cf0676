#include "voice_tokens.h"

#include <algorithm>

#include "data_folders.h"
#include "ini_file.h"
#include "text.h"

namespace lenvoro::engine {

namespace {

std::vector<std::u16string_view> splitConditions(std::u16string_view query) {
    std::vector<std::u16string_view> conditions;
    while (!query.empty()) {
        const size_t semicolon = query.find(u';');
        const auto condition = trimSpaces(query.substr(0, semicolon));
        if (!condition.empty())
            conditions.push_back(condition);
        query.remove_prefix(semicolon == std::u16string_view::npos ? query.size() : semicolon + 1);
    }
    return conditions;
}

int parseLevel(const std::optional<std::string>& text, int fallback) {
    if (!text || text->empty() || text->size() > 4)
        return fallback;
    int value = 0;
    for (char c : *text) {
        if (c < '0' || c > '9')
            return fallback;
        value = value * 10 + (c - '0');
    }
    return std::clamp(value, 0, 100);
}

}  // namespace

std::shared_ptr<const ObjectToken> ObjectToken::loadVoice(const std::filesystem::path& file,
                                                          std::string id) {
    bool found = false;
    const IniFile ini = IniFile::load(file, &found);
    if (!found)
        return nullptr;
    const auto name = ini.value("Attributes", "Name");
    const auto voice = ini.value("Espeak", "Voice");
    if (!name || name->empty() || !voice || voice->empty())
        return nullptr;

    std::shared_ptr<ObjectToken> token(new ObjectToken);
    token->kind_ = Kind::Voice;
    token->id_ = std::move(id);
    if (const auto* values = ini.section("Token")) {
        for (const auto& [key, value] : *values) {
            token->values_.emplace_back(utf8ToUtf16(key == "default" ? "" : key),
                                        utf8ToUtf16(value));
        }
    }
    if (const auto* attributes = ini.section("Attributes")) {
        for (const auto& [key, value] : *attributes) {
            token->attributes_.emplace_back(utf8ToUtf16(key), utf8ToUtf16(value));
        }
    }
    token->espeak_.name = *voice;
    token->espeak_.variant = ini.value("Espeak", "Variant").value_or("");
    token->espeak_.pitch = parseLevel(ini.value("Espeak", "Pitch"), 50);
    token->espeak_.range = parseLevel(ini.value("Espeak", "Range"), 50);
    if (!Synthesizer::instance().canSpeak(token->espeak_))
        return nullptr;
    return token;
}

std::shared_ptr<const ObjectToken> ObjectToken::audioOutput(std::string id, std::u16string name,
                                                            AudioDevice::Kind device) {
    std::shared_ptr<ObjectToken> token(new ObjectToken);
    token->kind_ = Kind::AudioOutput;
    token->id_ = std::move(id);
    token->values_.emplace_back(u"", name);
    token->attributes_.emplace_back(u"name", std::move(name));
    token->attributes_.emplace_back(u"vendor", u"Lenvoro");
    token->device_ = device;
    return token;
}

Result ObjectToken::getStringValue(std::u16string_view name, std::u16string* value) const {
    if (value == nullptr)
        return kPointer;
    const std::u16string key = asciiLower(name);
    for (const auto& [valueName, text] : values_) {
        if (valueName == key) {
            *value = text;
            return kOk;
        }
    }
    return kNotFound;
}

Result ObjectToken::getAttribute(std::u16string_view name, std::u16string* value) const {
    if (value == nullptr)
        return kPointer;
    const std::u16string key = asciiLower(name);
    for (const auto& [attribute, text] : attributes_) {
        if (attribute == key) {
            *value = text;
            return kOk;
        }
    }
    return kNotFound;
}

bool ObjectToken::holds(std::u16string_view condition) const {
    const size_t equals = condition.find(u'=');
    const auto key = trimSpaces(condition.substr(0, equals));
    std::u16string actual;
    if (failed(getAttribute(key, &actual)))
        return false;
    if (equals == std::u16string_view::npos)
        return true;
    const auto wanted = trimSpaces(condition.substr(equals + 1));
    // Several values ("804;409") are stored with ";" and any of them matches.
    std::u16string_view rest = actual;
    while (true) {
        const size_t semicolon = rest.find(u';');
        if (equalsIgnoringAsciiCase(trimSpaces(rest.substr(0, semicolon)), wanted))
            return true;
        if (semicolon == std::u16string_view::npos)
            return false;
        rest.remove_prefix(semicolon + 1);
    }
}

bool ObjectToken::matches(std::u16string_view requiredAttributes) const {
    for (const auto condition : splitConditions(requiredAttributes)) {
        if (!holds(condition))
            return false;
    }
    return true;
}

size_t ObjectToken::matchCount(std::u16string_view attributes) const {
    size_t count = 0;
    for (const auto condition : splitConditions(attributes))
        count += holds(condition) ? 1 : 0;
    return count;
}

Result ObjectToken::createAudioDevice(std::shared_ptr<AudioDevice>* device) const {
    if (device == nullptr)
        return kPointer;
    if (kind_ != Kind::AudioOutput)
        return kInvalidArg;
    *device = std::make_shared<AudioDevice>(device_);
    return kOk;
}

Result TokenEnumeration::next(std::shared_ptr<const ObjectToken>* token) {
    if (token == nullptr)
        return kPointer;
    if (position_ >= tokens_.size()) {
        *token = nullptr;
        return kFalse;
    }
    *token = tokens_[position_++];
    return kOk;
}

Result TokenCategory::open(std::string_view categoryId, bool createIfMissing,
                           std::shared_ptr<TokenCategory>* category) {
    (void)createIfMissing;  // both categories always exist; others cannot be made
    if (category == nullptr)
        return kPointer;
    *category = nullptr;
    const std::string wanted = asciiLower(categoryId);
    if (wanted == asciiLower(kVoicesCategoryId)) {
        category->reset(new TokenCategory(std::string(kVoicesCategoryId), true));
    } else if (wanted == asciiLower(kAudioOutputCategoryId)) {
        category->reset(new TokenCategory(std::string(kAudioOutputCategoryId), false));
    } else {
        return kNotFound;
    }
    return kOk;
}

std::vector<std::shared_ptr<const ObjectToken>> TokenCategory::allTokens() const {
    std::vector<std::shared_ptr<const ObjectToken>> tokens;
    const std::string prefix = id_ + "\\Tokens\\";
    if (!voices_) {
        tokens.push_back(ObjectToken::audioOutput(prefix + "Default", u"Default audio output",
                                                  AudioDevice::Kind::Default));
        tokens.push_back(
            ObjectToken::audioOutput(prefix + "Null", u"No sound", AudioDevice::Kind::Null));
        return tokens;
    }
    for (const auto& file : voiceFiles()) {
        if (auto token = ObjectToken::loadVoice(file.path, file.id))
            tokens.push_back(token);
    }
    return tokens;
}

Result TokenCategory::enumTokens(std::u16string_view requiredAttributes,
                                 std::u16string_view optionalAttributes,
                                 std::shared_ptr<TokenEnumeration>* enumeration) const {
    if (enumeration == nullptr)
        return kPointer;
    auto tokens = allTokens();
    std::string defaultId;
    getDefaultTokenId(&defaultId);
    std::vector<std::shared_ptr<const ObjectToken>> found;
    for (auto& token : tokens) {
        if (token->matches(requiredAttributes))
            found.push_back(token);
    }
    std::stable_sort(found.begin(), found.end(), [&](const auto& a, const auto& b) {
        const bool aDefault = a->id() == defaultId, bDefault = b->id() == defaultId;
        if (aDefault != bDefault)
            return aDefault;
        return a->matchCount(optionalAttributes) > b->matchCount(optionalAttributes);
    });
    *enumeration = std::make_shared<TokenEnumeration>(std::move(found));
    return kOk;
}

Result TokenCategory::getDefaultTokenId(std::string* id) const {
    if (id == nullptr)
        return kPointer;
    const auto tokens = allTokens();
    std::vector<std::pair<std::string, std::u16string>> candidates;
    for (const auto& token : tokens) {
        std::u16string languages;
        token->getAttribute(u"Language", &languages);
        candidates.emplace_back(token->id(), std::move(languages));
    }
    // Audio outputs speak no language: the stored one or the first.
    const auto choice = chooseDefaultToken(candidates, storedDefaultTokenId(settingsSection()),
                                           voices_ ? defaultVoiceLanguage() : 0);
    if (!choice)
        return kNotFound;
    *id = tokens[choice->index]->id();
    return kOk;
}

Result TokenCategory::setDefaultTokenId(std::string_view id) const {
    std::shared_ptr<const ObjectToken> token;
    if (Result result = getToken(id, &token); failed(result))
        return result;
    const auto path = engineSettingsPath();
    IniFile settings = IniFile::load(path);
    settings.set(settingsSection(), "DefaultTokenId", token->id());
    return settings.saveAtomically(path);
}

Result TokenCategory::getToken(std::string_view id,
                               std::shared_ptr<const ObjectToken>* token) const {
    if (token == nullptr)
        return kPointer;
    *token = nullptr;
    for (auto& candidate : allTokens()) {
        if (asciiLower(candidate->id()) == asciiLower(id)) {
            *token = candidate;
            return kOk;
        }
    }
    return kNotFound;
}

}  // namespace lenvoro::engine
