#include "voice_catalog.h"

#include <algorithm>

#include "engine/text.h"
#include "engine/voice_files.h"
#include "engine/voice_tokens.h"

namespace lenvoro::speechd {

namespace {

std::string primarySubtag(std::string_view tag) {
    std::string primary = engine::asciiLower(tag.substr(0, tag.find_first_of("-_")));
    return primary == "cmn" ? "zh" : primary;
}

// "male2" asks for the second male voice; "child_female" for the first female one.
std::pair<std::string, size_t> genderAndIndex(std::string_view voiceType) {
    std::string_view gender = voiceType;
    size_t index = 0;
    if (gender.starts_with("child_")) {
        gender.remove_prefix(6);
    } else if (!gender.empty() && gender.back() >= '1' && gender.back() <= '3') {
        index = static_cast<size_t>(gender.back() - '1');
        gender.remove_suffix(1);
    }
    return {std::string(gender), index};
}

const CatalogVoice* pick(const std::vector<const CatalogVoice*>& voices, const std::string& gender,
                         size_t index) {
    std::vector<const CatalogVoice*> ofGender;
    for (const CatalogVoice* voice : voices) {
        if (voice->gender == gender)
            ofGender.push_back(voice);
    }
    const auto& from = ofGender.empty() ? voices : ofGender;
    return from.empty() ? nullptr : from[index % from.size()];
}

std::vector<const CatalogVoice*> speaking(const std::vector<CatalogVoice>& catalog,
                                          std::string_view primaryLanguage) {
    std::vector<const CatalogVoice*> found;
    for (const CatalogVoice& voice : catalog) {
        if (primarySubtag(voice.language) == primaryLanguage)
            found.push_back(&voice);
    }
    return found;
}

}  // namespace

Script CatalogVoice::script() const {
    const std::string primary = primarySubtag(language);
    return primary == "zh" ? Script::Chinese : primary == "en" ? Script::English : Script::Other;
}

std::string languageTag(std::u16string_view lcids, std::string_view espeakName) {
    const std::u16string_view first = lcids.substr(0, lcids.find(u';'));
    uint32_t lcid = 0;
    for (char16_t c : engine::asciiLower(engine::trimSpaces(first))) {
        const int digit = c >= u'0' && c <= u'9'   ? c - u'0'
                          : c >= u'a' && c <= u'f' ? c - u'a' + 10
                                                   : -1;
        if (digit < 0 || lcid > 0xFFFF) {
            lcid = 0;
            break;
        }
        lcid = lcid * 16 + static_cast<uint32_t>(digit);
    }
    const uint32_t primary = lcid & 0x3FF;
    const uint32_t sublanguage = lcid >> 10;
    if (primary == 0x04) {
        constexpr const char* kChinese[] = {"zh", "zh-TW", "zh-CN", "zh-HK", "zh-SG", "zh-MO"};
        return sublanguage < std::size(kChinese) ? kChinese[sublanguage] : "zh";
    }
    if (primary == 0x09) {
        constexpr const char* kEnglish[] = {"en", "en-US", "en-GB", "en-AU", "en-CA"};
        return sublanguage < std::size(kEnglish) ? kEnglish[sublanguage] : "en";
    }
    // Another language: espeak-ng's own name for it ("fr-fr" becomes "fr-FR").
    std::string tag = engine::asciiLower(espeakName);
    const size_t dash = tag.find('-');
    if (dash != std::string::npos && tag.size() - dash == 3) {
        for (size_t i = dash + 1; i < tag.size(); ++i)
            tag[i] = engine::asciiUpper(tag[i]);
    }
    return tag;
}

std::vector<CatalogVoice> loadCatalog() {
    std::vector<CatalogVoice> catalog;
    for (const engine::VoiceFile& file : engine::voiceFiles()) {
        const auto token = engine::ObjectToken::loadVoice(file.path, file.id);
        if (!token)
            continue;
        std::u16string name, gender, languages;
        token->getAttribute(u"Name", &name);
        token->getAttribute(u"Gender", &gender);
        token->getAttribute(u"Language", &languages);
        CatalogVoice voice;
        voice.name = engine::utf16ToUtf8(name);
        voice.gender = engine::asciiLower(engine::utf16ToUtf8(gender));
        voice.espeak = token->espeakVoice();
        voice.language = languageTag(languages, voice.espeak.name);
        catalog.push_back(std::move(voice));
    }
    return catalog;
}

VoiceSelection chooseVoices(const std::vector<CatalogVoice>& catalog,
                            const SpeechSettings& settings) {
    VoiceSelection selection;
    if (catalog.empty())
        return selection;
    if (!settings.synthesisVoice.empty()) {
        for (const CatalogVoice& voice : catalog) {
            if (engine::asciiLower(voice.name) == engine::asciiLower(settings.synthesisVoice)) {
                selection.primary = &voice;
                return selection;  // a voice asked for by name reads everything
            }
        }
    }
    const auto [gender, index] = genderAndIndex(settings.voiceType);
    std::vector<const CatalogVoice*> candidates =
        speaking(catalog, primarySubtag(settings.language));
    // A language we have no voice for ("c" from a plain locale among them)
    // is read in English, as the server's own default is.
    if (candidates.empty())
        candidates = speaking(catalog, "en");
    if (candidates.empty()) {
        for (const CatalogVoice& voice : catalog)
            candidates.push_back(&voice);
    }
    selection.primary = pick(candidates, gender, index);
    selection.chinese = pick(speaking(catalog, "zh"), gender, index);
    // A voice of another Latin-written language reads its own Latin letters.
    if (selection.primary->script() != Script::Other)
        selection.english = pick(speaking(catalog, "en"), gender, index);
    if (selection.primary->script() == Script::Chinese)
        selection.chinese = selection.primary;
    if (selection.primary->script() == Script::English)
        selection.english = selection.primary;
    return selection;
}

}  // namespace lenvoro::speechd
