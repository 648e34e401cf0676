// Small INI files: the voice tokens and the engine settings.
//
// Reading never fails: lines that are not "[section]", "key=value" or
// comments are ignored, so a damaged file gives what can be read from it.
// Writing goes to a temporary file that replaces the old one in one rename.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "result.h"

namespace lenvoro::engine {

// Files larger than this are not configuration files; they are not read.
constexpr std::uintmax_t kMaximumIniFileBytes = 64 * 1024;

class IniFile {
public:
    static IniFile parse(std::string_view text);
    // Missing, unreadable or oversized files read as empty; found says which.
    static IniFile load(const std::filesystem::path& path, bool* found = nullptr);

    // Section and key names compare ignoring ASCII case; values are UTF-8.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    void set(std::string_view section, std::string_view key, std::string_view value);
    const std::map<std::string, std::string>* section(std::string_view name) const;

    std::string serialize() const;
    Result saveAtomically(const std::filesystem::path& path) const;

private:
    std::map<std::string, std::map<std::string, std::string>> sections_;  // lower-case names
};

// Writes content to path through a temporary file in the same folder and a
// rename, creating the folder if needed: readers see the old or the new file.
Result writeFileAtomically(const std::filesystem::path& path, std::string_view content);

}  // namespace lenvoro::engine
