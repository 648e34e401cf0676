// lenvoro-say's texts as the user's locale gives them: what they read as and
// where a long text may be cut into pieces. The code set they are in and their
// UTF-16 text are the library's own (codeset::localeCodeSet(), codeset::toUtf16()).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lenvoro::say {

// UTF-16 as UTF-32; a lone surrogate becomes U+FFFD.
std::u32string Utf16ToUtf32(std::u16string_view text);

// A long text in pieces of at least minimumUnits UTF-16 units (the last one
// may be shorter), cut only where the reading does not change: after a line
// break, after . ! ? ; followed by white space (so "3.14" stays whole), and
// after 。！？, each with the closing quotes and brackets that follow it.
// The pieces joined give the text again.
std::vector<std::u16string> SplitIntoPieces(std::u16string_view text, size_t minimumUnits);

}  // namespace lenvoro::say
