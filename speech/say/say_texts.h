// What lenvoro-say says, in the library's interface language: simplified
// Chinese, traditional Chinese or English, chosen from the user's locale by
// the rule the library uses for its own dialogs and messages.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace lenvoro::say {

enum class Language { CN, TW, ENG };

// The library's rule: zh_TW, zh_HK and zh_SG give TW; zh_CN and every other
// Chinese territory but Macao give CN; everything else, malformed names, "C"
// and none among them, gives ENG. The code set and modifier play no part.
Language LanguageForLocale(std::string_view localeName);

struct Texts {
    const char* usage;  // "{default}": DefaultVoice text
    const char* tryHelp;
    const char* settingOutOfRange;  // "{option}", "{value}"
    const char* optionNeedsValue;   // "{option}"
    const char* unknownOption;      // "{option}"
    const char* settingsAlone;
    const char* formatNeedsWave;
    const char* unknownFormat;  // "{value}"
    const char* unknownVoice;   // "{value}"
    const char* unknownPair;    // "{value}"
    const char* noText;
    const char* pinyinAlone;
    const char* phonemesAlone;
    const char* noTemporaryFolder;
    const char* engineCannotStart;
    const char* cannotWrite;  // "{file}"
    const char* cannotSpeak;
    const char* pairVoicesMissing;  // "{pair}", "{voices}"
    const char* noDisplay;
    const char* settingsNotShown;

    // --list-voices
    const char* voicesHeading;
    const char* pairsHeading;
    const char* formatsHeading;
    const char* installed;
    const char* notInstalled;
    const char* pairNotInstalled;

    // Which voice -1 is and why; "{voice}", "{locale}", "{language}".
    const char* defaultByLocale;       // no stored choice, the locale's language
    const char* defaultNoLocaleVoice;  // no stored choice, no voice of that language
    const char* defaultChosen;         // chosen with --settings
    const char* defaultNone;           // no voice installed
    const char* chinese;
    const char* english;
    const char* listSeparator;
};

const Texts& TextsFor(Language language);

// pattern with each "{name}" replaced by its value.
std::string Fill(std::string_view pattern,
                 std::initializer_list<std::pair<std::string_view, std::string_view>> fields);

}  // namespace lenvoro::say
