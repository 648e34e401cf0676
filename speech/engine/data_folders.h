// Where the engine finds its voices and keeps its settings.
#pragma once

#include <filesystem>
#include <vector>

namespace lenvoro::engine {

// The lenvoro data folders in the order they are searched: $LENVORO_DATA_DIR
// alone when it is set; otherwise $XDG_DATA_HOME/lenvoro (~/.local/share),
// each $XDG_DATA_DIRS/lenvoro (/usr/local/share:/usr/share), then
// ../share/lenvoro beside the file that holds this code (the library, or a
// test program), which is how the build tree finds the voices it ships.
std::vector<std::filesystem::path> dataFolders();

// $XDG_CONFIG_HOME/lenvoro/engine.ini (~/.config when unset).
std::filesystem::path engineSettingsPath();

}  // namespace lenvoro::engine
