// Our voices as Speech Dispatcher sees them, and which of them read a message.
//
// The catalog is the engine's voice tokens: name, language, gender and the
// espeak-ng voice that speaks each. A message is read by a primary voice,
// chosen by name (synthesis_voice) or by language and voice type. Unless a
// voice was named, a second voice joins it so that a text mixing Chinese and
// English is read with a Chinese voice for the Chinese and an English voice
// for the English, both of the gender the voice type asks for.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/synthesizer.h"
#include "speech_settings.h"

namespace lenvoro::speechd {

enum class Script { Chinese, English, Other };

struct CatalogVoice {
    std::string name;      // the token's Name attribute
    std::string language;  // "zh-CN", "en-US"
    std::string gender;    // "male", "female", or empty
    engine::EspeakVoice espeak;

    Script script() const;
};

struct VoiceSelection {
    const CatalogVoice* primary = nullptr;  // reads what belongs to no language run
    const CatalogVoice* chinese = nullptr;  // reads Chinese runs; nullptr: primary does
    const CatalogVoice* english = nullptr;  // reads English runs; nullptr: primary does
};

// The voices of the engine's voice tokens, in the engine's order.
std::vector<CatalogVoice> loadCatalog();

// The language tag of a token's Language attribute (";"-separated
// hexadecimal LCIDs, the first counts); for languages other than Chinese and
// English, the language of the espeak-ng voice that speaks it.
std::string languageTag(std::u16string_view lcids, std::string_view espeakName);

// The voices for a message. An empty catalog gives an empty selection.
VoiceSelection chooseVoices(const std::vector<CatalogVoice>& catalog,
                            const SpeechSettings& settings);

}  // namespace lenvoro::speechd
