// Characters that must never reach espeak-ng.
//
// espeak-ng 1.51 reads freed memory when it meets some characters: digits
// and signs of several Indian scripts (Bengali, Gurmukhi, Gujarati, Tamil,
// Kannada, Malayalam, Sinhala), Armenian punctuation and the dram sign, the
// old Hangul vowel and final jamo, and code points no character is assigned
// to. They were found by running the code points of the Basic Multilingual
// Plane and of the first supplementary one through it under valgrind, in
// groups, then each suspect block one code point per process. Unassigned code points are recognised
// by the C library's Unicode tables (C.UTF-8); surrogates, noncharacters and values past U+10FFFF
// are no text at all. Such characters become spaces before synthesis, so the text keeps its length
// and every position its meaning.
#pragma once

#include <string>

namespace lenvoro::engine {

bool espeakCanRead(char32_t c);

// Replaces each character espeak-ng cannot read by a space, in place.
void blankUnreadable(std::wstring& text);

}  // namespace lenvoro::engine
