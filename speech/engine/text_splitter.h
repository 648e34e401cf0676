// Cutting long runs of text into the pieces handed to espeak-ng one at a time.
//
// Short pieces keep synthesis only a little ahead of playback (espeak-ng
// runs a thousand times faster than real time) and let other voices take
// their turn in between. They also avoid an espeak-ng limit: a Chinese run of
// more than about 160 characters without punctuation is silently cut off.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

namespace lenvoro::engine {

// A piece ends after the first sentence end once it has reached this length...
constexpr size_t kSoftPieceCharacters = 200;
// ...and is cut at the last space or punctuation before these lengths.
constexpr size_t kMaximumPieceCharacters = 400;
constexpr size_t kMaximumChinesePieceCharacters = 80;

// Returns [begin, end) ranges that cover text in order, none empty.
std::vector<std::pair<size_t, size_t>> splitForSynthesis(std::u32string_view text);

}  // namespace lenvoro::engine
