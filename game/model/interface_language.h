#pragma once

#include <codeset/codeset.h>

#include <string_view>

namespace tukomi {

// The language the game's messages are written in. The game follows the
// same rule as the speech library, so that a message box of the game and one
// of the library never speak two languages on one screen.
enum class InterfaceLanguage { CN, TW, ENG };

// The user's locale name, found as the speech library finds it.
using codeset::EnvironmentLookup;
using codeset::userLocaleName;

// The rule: a locale of Chinese in Taiwan, Hong Kong or Singapore gives
// traditional Chinese; Chinese of the PRC, and Chinese of a territory with no
// locale of its own ("zh", "zh_US"), simplified Chinese; everything else,
// Macao among it, English. A name that is no locale name ("C", "POSIX",
// "zh_Hant", "") is English. The code set and the modifier play no part.
InterfaceLanguage interfaceLanguageForLocale(std::string_view localeName);

// The language of the user's locale in the process environment, chosen afresh
// at each call.
InterfaceLanguage userInterfaceLanguage();

}  // namespace tukomi
