#include "default_voice.h"

#include <utility>
#include <vector>

#include "engine/ini_file.h"
#include "engine/text.h"

namespace lenvoro::say {

std::optional<DefaultVoice> FindDefaultVoice() {
    std::vector<std::pair<std::string, std::u16string>> tokens;
    std::vector<std::string> names;
    for (const engine::VoiceFile& file : engine::voiceFiles()) {
        const engine::IniFile token = engine::IniFile::load(file.path);
        const auto name = token.value("Attributes", "Name");
        const auto espeakVoice = token.value("Espeak", "Voice");
        if (!name || name->empty() || !espeakVoice || espeakVoice->empty())
            continue;
        tokens.emplace_back(
            file.id, engine::utf8ToUtf16(token.value("Attributes", "Language").value_or("")));
        names.push_back(*name);
    }
    const auto choice = engine::chooseDefaultToken(
        tokens, engine::storedDefaultTokenId(engine::kVoicesSettingsSection),
        engine::defaultVoiceLanguage());
    if (!choice)
        return std::nullopt;
    return DefaultVoice{names[choice->index], choice->reason};
}

std::string DescribeDefaultVoice(const std::optional<DefaultVoice>& voice, const Texts& texts,
                                 std::string_view locale) {
    if (!voice)
        return texts.defaultNone;
    const bool chinese = engine::defaultVoiceLanguage(locale) == engine::kPrimaryLanguageChinese;
    const std::string_view language = chinese ? texts.chinese : texts.english;
    switch (voice->reason) {
        case engine::DefaultTokenReason::Stored:
            return Fill(texts.defaultChosen, {{"voice", voice->name}});
        case engine::DefaultTokenReason::Language:
            return Fill(texts.defaultByLocale, {{"voice", voice->name},
                                                {"locale", locale.empty() ? "C" : locale},
                                                {"language", language}});
        case engine::DefaultTokenReason::FirstToken:
            break;
    }
    return Fill(texts.defaultNoLocaleVoice, {{"voice", voice->name}, {"language", language}});
}

}  // namespace lenvoro::say
