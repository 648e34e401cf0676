// The voice token files of the lenvoro data folders, and which voice speaks
// when a program asks for none. Plain file reading, without espeak-ng, so that
// a program beside the library (lenvoro-say) can tell its user the same.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lenvoro::engine {

constexpr std::string_view kVoicesCategoryId =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Speech\\Voices";
// The engine settings' section of the voices category.
constexpr std::string_view kVoicesSettingsSection = "Voices";

// Primary languages: the low ten bits of a language identifier (0x804 and
// 0x404 are Chinese, 0x409 and 0x809 English).
constexpr uint16_t kPrimaryLanguageChinese = 0x04;
constexpr uint16_t kPrimaryLanguageEnglish = 0x09;

// The language of the voice that speaks when the user has chosen no default
// voice: Chinese for a Chinese locale ("zh", "zh_TW.Big5", "zh-CN"), English
// for every other one, "C" and none among them. localeName is the first set
// of LC_ALL, LC_CTYPE and LANG, as the library reads the user's locale.
uint16_t defaultVoiceLanguage(std::string_view localeName);
// The same for the locale of this process's environment.
uint16_t defaultVoiceLanguage();

// True when one of the ";"-separated hexadecimal language identifiers of a
// voice's Language attribute ("804", "409;9") has that primary language.
bool languagesInclude(std::u16string_view languages, uint16_t primaryLanguage);

struct VoiceFile {
    std::filesystem::path path;
    std::string id;  // kVoicesCategoryId + "\Tokens\" + the file name without ".ini"
};

// The voices/*.ini files of the data folders in the engine's order: folder by
// folder, each folder's files by name; a file hides the files of the same
// name in later folders.
std::vector<VoiceFile> voiceFiles();

// The default token id the engine settings hold for a category's section
// ("Voices", "AudioOutput"), if any.
std::optional<std::string> storedDefaultTokenId(std::string_view settingsSection);

enum class DefaultTokenReason {
    Stored,     // the user's stored choice
    Language,   // none stored: the first of the asked language
    FirstToken  // none stored and none of that language: the first of all
};

struct DefaultTokenChoice {
    size_t index;
    DefaultTokenReason reason;
};

// The default among tokens, given as their ids and Language attributes in the
// engine's order: the stored one when it is among them (ids compare ignoring
// ASCII case), else the first that speaks language (0 asks for none), else
// the first. Nothing when there are no tokens.
std::optional<DefaultTokenChoice> chooseDefaultToken(
    const std::vector<std::pair<std::string, std::u16string>>& tokens,
    const std::optional<std::string>& storedId, uint16_t language);

}  // namespace lenvoro::engine
