// What is said for a character or key that has no reading of its own.
//
// A screen reader sends CHAR for the character under the cursor and KEY for
// a key pressed: punctuation and spaces must be named, not read (a lone "."
// makes no sound at all), and keys come as Speech Dispatcher's key names
// ("shift_a", "control_alt_delete", "kp-enter", "f12", "double-quote").
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lenvoro::speechd {

struct SymbolName {
    std::string_view english;
    std::string_view chinese;
};

// The names of spaces and punctuation, ASCII and Chinese; nothing for other characters.
std::optional<SymbolName> symbolName(char32_t c);

// The English words for a key name: "shift_a" gives "shift a",
// "kp-enter" "keypad enter", "f12" "F 12". A single character that is no
// key word is left as it is, to be read as a character.
std::string keyWords(std::string_view key);

}  // namespace lenvoro::speechd
