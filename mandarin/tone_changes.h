// Readings that depend on the neighbours of a character rather than on its
// word: the tone changes of 一 and 不, and the few characters whose reading
// alone is decided by what stands before or after them (the particle 地,
// the measure words 只 and 种, 得 as "must").
#pragma once

#include <string_view>
#include <vector>

#include "dictionary.h"

namespace mandarin {

// One run of Chinese characters as the segmentation read it.
struct RunCharacter {
    char32_t character = 0;
    std::string_view syllable;  // empty: no reading
    unsigned wordLength = 1;    // characters in the word it belongs to
    unsigned indexInWord = 0;
};

// Rewrites the syllables of run in place. before is the character just
// before the run when it is a digit (3只猫), otherwise 0.
void applyToneChanges(std::vector<RunCharacter>& run, const Dictionary& dictionary,
                      char32_t before = 0);

}  // namespace mandarin
