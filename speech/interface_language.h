// The library's interface language (simplified Chinese, traditional Chinese or
// English): which one the user's locale selects, the texts and dialog template
// names it brings, and the language identifier under which voice names are
// looked up.
//
// Every rule here is a pure function of what it is given, so that each branch
// can be tested without touching the process environment; the functions
// without arguments read the real environment and fill the engine state.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "codeset/codeset.h"

namespace lenvoro {

enum class InterfaceLanguage { CN, TW, ENG };

// Locale identifiers that the language rule names.
constexpr uint32_t kLocaleChineseTaiwan = 1028;
constexpr uint32_t kLocaleEnglishUnitedStates = 1033;
constexpr uint32_t kLocaleChinesePrc = 2052;
constexpr uint32_t kLocaleChineseHongKong = 3076;
constexpr uint32_t kLocaleChineseSingapore = 4100;
constexpr uint32_t kLocaleChineseMacao = 5124;

// A getenv-like lookup (the value of a variable, or nullptr when it is unset)
// and the one that reads the process environment.
using codeset::EnvironmentLookup;
using codeset::processEnvironment;

// The locale identifier of a POSIX locale name such as "zh_TW.UTF-8",
// "en_GB@euro" or "zh-HK" (a hyphen is accepted too); the code set and the
// modifier play no part. Returns std::nullopt for a name that is malformed or
// names a language the table does not know, and for "C" and "POSIX".
std::optional<uint32_t> KnownLocaleId(std::string_view localeName);

// As KnownLocaleId, but every name has an identifier, as the user's default
// locale always has one: unknown, malformed and empty names give 1033.
uint32_t LocaleIdFromName(std::string_view localeName);

// The language rule: 1028, 3076 and 4100 give TW, 2052 gives CN, everything
// else (Macao's 5124 among them) gives ENG.
InterfaceLanguage InterfaceLanguageForLocale(uint32_t localeId);

// What one interface language shows and selects.
struct InterfaceLanguageTexts {
    std::u16string_view settingsDialogTemplate;  // IDD_SETDIALOG_*
    std::u16string_view voicePromptTemplate;     // IDD_DOWNLOAD_VOICE_*
    std::u16string_view initialInfoTemplate;     // IDD_INITIALINFO_*
    std::string_view helpSegment;                // language folder of the help pages
    std::u16string_view parameterErrorText;
    std::u16string_view parameterErrorCaption;
    // The button of the library's message boxes, as the desktop of that
    // language labels it (the dialog templates carry their own buttons).
    std::u16string_view okButton;
};
const InterfaceLanguageTexts& TextsFor(InterfaceLanguage language);

// The "file://" address of the voices help page of a language under the help
// folder helpRoot: helpRoot/<segment>/voices.html, percent-encoded. The three
// addresses differ only in the language segment.
std::u16string DownloadPageAddress(InterfaceLanguage language,
                                   const std::filesystem::path& helpRoot);

// The help folder: "help" in the first lenvoro data folder that has one; when
// none has, the one in the last data folder (where the library's own share
// folder is), so that the address still has the shape users can follow.
std::filesystem::path HelpFolder();

// Chooses the interface language from the environment and copies its texts
// into the engine state; voicePage becomes a copy of the default download
// page. Nothing is cached: each call chooses again.
void ChooseInterfaceLanguage(const EnvironmentLookup& environment,
                             const std::filesystem::path& helpRoot);
void ChooseInterfaceLanguage();

// Fills the texts when no language has been chosen yet (the dialogs may be
// needed before the first start call); a voicePage already set is kept.
void EnsureInterfaceTexts();

// The interface language whose texts the engine state holds now.
InterfaceLanguage CurrentInterfaceLanguage();

// --- The language identifier for voice names --------------------------------

// Where the system's user-interface language can come from, one field per
// branch of the rule.
enum class SystemFamily {
    Unknown,   // the version query failed
    ModernNt,  // has a query for the user-interface language
    OlderNt,   // keeps it as the hexadecimal "Locale" of the default user
    Other,     // keeps it as the hexadecimal "ResourceLocale" of the desktop
};

struct UiLanguageSources {
    SystemFamily family = SystemFamily::Unknown;
    // ModernNt: what the query returned; std::nullopt when the query is missing.
    std::optional<uint16_t> queriedUiLanguage;
    // OlderNt / Other: the text of the stored value; std::nullopt when unreadable.
    std::optional<std::string> storedLocaleValue;
    // The fallback of every branch: the language of the user's default locale.
    uint16_t userDefaultLanguage = 0;
};

// The hexadecimal language identifier of a stored locale value ("00000401"):
// leading hexadecimal digits, whitespace around ignored; the low 16 bits of
// the number. 0 when there are no digits or the text is longer than the value
// may be (maxBytes).
uint16_t ParseStoredLocale(std::string_view text, size_t maxBytes);

// The rule itself; never fails, every dead end gives userDefaultLanguage.
uint16_t UiLanguageForVoiceNames(const UiLanguageSources& sources);

// On this system: the user-interface language comes from LANGUAGE (its first
// usable entry; ignored when the messages locale is "C" or "POSIX"), then
// LC_ALL, LC_MESSAGES and LANG; it is 0 when none names a known language.
uint16_t UiLanguageFromEnvironment(const EnvironmentLookup& environment);
UiLanguageSources UiLanguageSourcesFromEnvironment(const EnvironmentLookup& environment);
uint16_t UiLanguageForVoiceNames();

// The name of the token value that holds a voice's display name in a language:
// upper-case hexadecimal without leading zeros (2052 -> "804").
std::u16string LanguageIdValueName(uint16_t languageId);

}  // namespace lenvoro
