#include "data_folders.h"

#include <dlfcn.h>

#include <cstdlib>
#include <string_view>

namespace lenvoro::engine {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::filesystem::path homeFolder() {
    return environment("HOME");
}

std::filesystem::path besideThisCode() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&besideThisCode), &info) == 0 || info.dli_fname == nullptr) {
        return {};
    }
    std::error_code error;
    auto file = std::filesystem::canonical(info.dli_fname, error);
    if (error)
        return {};
    return file.parent_path().parent_path() / "share" / "lenvoro";
}

}  // namespace

std::vector<std::filesystem::path> dataFolders() {
    if (const std::string only = environment("LENVORO_DATA_DIR"); !only.empty())
        return {only};
    std::vector<std::filesystem::path> folders;
    const std::string dataHome = environment("XDG_DATA_HOME");
    if (!dataHome.empty())
        folders.emplace_back(std::filesystem::path(dataHome) / "lenvoro");
    else if (!homeFolder().empty())
        folders.emplace_back(homeFolder() / ".local/share/lenvoro");
    std::string dataDirs = environment("XDG_DATA_DIRS");
    if (dataDirs.empty())
        dataDirs = "/usr/local/share:/usr/share";
    std::string_view rest = dataDirs;
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (!folder.empty())
            folders.emplace_back(std::filesystem::path(folder) / "lenvoro");
        rest.remove_prefix(colon == std::string_view::npos ? rest.size() : colon + 1);
    }
    if (auto beside = besideThisCode(); !beside.empty())
        folders.push_back(beside);
    return folders;
}

std::filesystem::path engineSettingsPath() {
    const std::string configHome = environment("XDG_CONFIG_HOME");
    const std::filesystem::path base =
        !configHome.empty() ? std::filesystem::path(configHome) : homeFolder() / ".config";
    return base / "lenvoro" / "engine.ini";
}

}  // namespace lenvoro::engine
