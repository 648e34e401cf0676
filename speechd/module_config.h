// lenvoro.conf, the file Speech Dispatcher names when it starts the module.
//
// The server's own syntax (dotconf): one option a line, a name and a value,
// the value in double quotes or bare; "#" starts a comment. Options:
//
//   LenvoroAudio "server"       hand audio to the server to play (the default)
//                "module"       play through our own audio layer
//   LenvoroSoundIconFolder "/usr/share/sounds/sound-icons"
//                               where SOUND_ICON looks for NAME or NAME.wav
//
// Options of the server's other modules (Debug, DebugFile) are accepted and
// ignored; a name we do not know is reported in the log.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lenvoro::speechd {

struct ModuleConfig {
    bool serverAudio = true;
    std::string soundIconFolder = "/usr/share/sounds/sound-icons";
    std::vector<std::string> problems;  // one line each, for the log
};

ModuleConfig readModuleConfig(std::string_view text);

}  // namespace lenvoro::speechd
