#include "module_config.h"

#include "engine/text.h"

namespace lenvoro::speechd {

namespace {

std::string_view trim(std::string_view text) {
    const size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string_view::npos)
        return {};
    const size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

}  // namespace

ModuleConfig readModuleConfig(std::string_view text) {
    ModuleConfig config;
    size_t lineNumber = 0;
    while (!text.empty()) {
        const size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        ++lineNumber;
        line = trim(line);
        if (line.empty() || line[0] == '#')
            continue;
        const size_t space = line.find_first_of(" \t");
        const std::string_view name = line.substr(0, space);
        std::string_view value = space == std::string_view::npos ? "" : trim(line.substr(space));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        const std::string where = "lenvoro.conf line " + std::to_string(lineNumber) + ": ";
        if (engine::equalsIgnoringAsciiCase(name, "LenvoroAudio")) {
            if (engine::equalsIgnoringAsciiCase(value, "server") ||
                engine::equalsIgnoringAsciiCase(value, "module"))
                config.serverAudio = engine::equalsIgnoringAsciiCase(value, "server");
            else
                config.problems.push_back(where + "LenvoroAudio is \"server\" or \"module\"");
        } else if (engine::equalsIgnoringAsciiCase(name, "LenvoroSoundIconFolder")) {
            config.soundIconFolder = std::string(value);
        } else if (!engine::equalsIgnoringAsciiCase(name, "Debug") &&
                   !engine::equalsIgnoringAsciiCase(name, "DebugFile")) {
            config.problems.push_back(where + "unknown option " + std::string(name));
        }
    }
    return config;
}

}  // namespace lenvoro::speechd
